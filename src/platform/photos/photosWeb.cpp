// Photos in the browser build. There is no Pictures folder to list: the
// browser's file picker hands over what the user picks, and the browser
// decodes it, upright. A photo file in the in-memory file system (a PNG,
// JPEG, GIF or BMP, as the simulator reads) is decoded by stb_image, which
// emscripten ships.
#include "platform/photos/photos.h"

#include "platform/imaging/image.h"

#include <emscripten/emscripten.h>

#include <algorithm>
#include <cstdio>
#include <map>
#include <vector>

extern "C" {
unsigned char* stbi_load(const char* filename, int* x, int* y, int* channels, int wanted);
int stbi_info(const char* filename, int* x, int* y, int* channels);
void stbi_image_free(void* pixels);
}

namespace zorbel {

namespace {

// A photo needing more memory than this to decode is refused.
const long long kMaxDecodePixels = 64LL * 1000 * 1000;

// Photos being chosen or decoded, by request.
struct Request {
    PickedPhoto done;
    RGBAImage photo;  // the page writes the decoded picture's pixels here
};

std::map<int, Request>& requests()
{
    static std::map<int, Request> pending;
    return pending;
}

// clang-format off
// The file picker: one hidden file input, opened from inside the user's
// touch or click. The chosen file's size is read from its header first (an
// image element does not decode until drawn), so that a photo too large for
// the page's memory is refused before it is decoded; then the browser
// decodes it with its EXIF orientation applied and scales it to fit.
EM_JS(void, jsPickPhoto, (int request, int maxSide, double maxPixels), {
    var input = document.getElementById("photo-input");
    if (!input) {
        input = document.createElement("input");
        input.type = "file";
        input.accept = "image/*";
        input.id = "photo-input";
        input.style.display = "none";
        document.body.appendChild(input);
    }
    input.value = "";
    input.onchange = function () {
        var file = input.files && input.files[0];
        input.onchange = null;
        if (!file)
            return;
        var refuse = function (why, text) {
            console.log("photo " + file.name + ": " + text);
            _zorbelPhotoRefused(request, why);
        };
        var url = URL.createObjectURL(file);
        var img = new Image();
        img.onerror = function () {
            URL.revokeObjectURL(url);
            refuse(0, "not a picture this browser can read");
        };
        img.onload = function () {
            var w = img.naturalWidth, h = img.naturalHeight;
            if (!(w > 0 && h > 0) || w * h > maxPixels) {
                URL.revokeObjectURL(url);
                return w > 0 && h > 0 ? refuse(1, w + " x " + h + " pixels") : refuse(0, "no pixels");
            }
            // A browser without createImageBitmap's options draws the image
            // element, which it shows upright too.
            var decoded = window.createImageBitmap
                ? createImageBitmap(file, { imageOrientation: "from-image" }).catch(function () { return img; })
                : Promise.resolve(img);
            decoded.then(function (picture) {
                var pw = picture.width || picture.naturalWidth, ph = picture.height || picture.naturalHeight;
                var scale = Math.min(1, maxSide / Math.max(pw, ph));
                var cw = Math.max(1, Math.round(pw * scale)), ch = Math.max(1, Math.round(ph * scale));
                var canvas = document.createElement("canvas");
                canvas.width = cw;
                canvas.height = ch;
                var cx = canvas.getContext("2d", { willReadFrequently: true });
                cx.imageSmoothingQuality = "high";
                cx.drawImage(picture, 0, 0, cw, ch);
                if (picture.close)
                    picture.close();
                URL.revokeObjectURL(url);
                var data = cx.getImageData(0, 0, cw, ch).data;
                var at = _zorbelPhotoBuffer(request, cw, ch);
                if (!at)
                    return;
                HEAPU8.set(data, at);
                _zorbelPhotoPicked(request);
            }).catch(function (e) {
                URL.revokeObjectURL(url);
                refuse(0, e && e.message ? e.message : String(e));
            });
        };
        img.src = url;
    };
    input.click();
});
// clang-format on

// Straight RGBA to premultiplied, box-averaged down to fit maxSide.
void fit(const unsigned char* src, int w, int h, int maxSide, RGBAImage& out)
{
    const int step = std::max(1, (std::max(w, h) + maxSide - 1) / maxSide);
    out.width = std::max(1, w / step);
    out.height = std::max(1, h / step);
    out.pixels.assign(static_cast<size_t>(out.width) * out.height * 4, 0);
    for (int y = 0; y < out.height; ++y)
        for (int x = 0; x < out.width; ++x) {
            unsigned sum[4] = {0, 0, 0, 0}, n = 0;
            for (int dy = 0; dy < step && y * step + dy < h; ++dy)
                for (int dx = 0; dx < step && x * step + dx < w; ++dx, ++n) {
                    const unsigned char* p = src + (static_cast<size_t>(y * step + dy) * w + x * step + dx) * 4;
                    for (int c = 0; c < 3; ++c)
                        sum[c] += p[c] * p[3];
                    sum[3] += p[3];
                }
            uint8_t* d = &out.pixels[(static_cast<size_t>(y) * out.width + x) * 4];
            for (int c = 0; c < 3; ++c)
                d[c] = static_cast<uint8_t>((sum[c] / 255 + n / 2) / n);
            d[3] = static_cast<uint8_t>((sum[3] + n / 2) / n);
        }
}

}  // namespace

std::vector<AlbumEntry> listAlbum(const std::string&)
{
    return {};
}

bool loadPhoto(const std::string& path, RGBAImage& out, int maxSide)
{
    int w = 0, h = 0, channels = 0;
    if (maxSide <= 0 || !stbi_info(path.c_str(), &w, &h, &channels) || w <= 0 || h <= 0 ||
        static_cast<long long>(w) * h > kMaxDecodePixels)
        return false;
    unsigned char* pixels = stbi_load(path.c_str(), &w, &h, &channels, 4);
    if (!pixels)
        return false;
    fit(pixels, w, h, maxSide, out);
    stbi_image_free(pixels);
    return true;
}

bool loadThumbnail(const std::string& path, int size, RGBAImage& out)
{
    return loadPhoto(path, out, size);
}

bool systemPhotoPickerExists()
{
    return true;
}

void pickSystemPhoto(int maxSide, PickedPhoto done)
{
    static int lastRequest = 0;
    const int request = ++lastRequest;
    requests()[request].done = std::move(done);
    jsPickPhoto(request, std::max(1, maxSide), static_cast<double>(kMaxDecodePixels));
}

}  // namespace zorbel

namespace {

// Hands a request's callback its answer and forgets the request.
void answer(int request, zorbel::RGBAImage* photo, const std::string& message)
{
    auto it = zorbel::requests().find(request);
    if (it == zorbel::requests().end())
        return;
    const zorbel::PickedPhoto done = std::move(it->second.done);
    zorbel::requests().erase(it);
    if (done)
        done(photo, message);
}

}  // namespace

// Room for a decoded picture of width x height, straight RGBA; null when the
// request is gone or the memory cannot be had.
extern "C" EMSCRIPTEN_KEEPALIVE uint8_t* zorbelPhotoBuffer(int request, int width, int height)
{
    auto it = zorbel::requests().find(request);
    if (it == zorbel::requests().end() || width <= 0 || height <= 0)
        return nullptr;
    zorbel::RGBAImage& photo = it->second.photo;
    try {
        photo.pixels.assign(static_cast<size_t>(width) * height * 4, 0);
    } catch (const std::bad_alloc&) {
        answer(request, nullptr, "This photo is too large to be read. Choose a smaller one.");
        return nullptr;
    }
    photo.width = width;
    photo.height = height;
    return photo.pixels.data();
}

// The buffer holds the picture: premultiplied, it goes to the request.
extern "C" EMSCRIPTEN_KEEPALIVE void zorbelPhotoPicked(int request)
{
    auto it = zorbel::requests().find(request);
    if (it == zorbel::requests().end())
        return;
    zorbel::RGBAImage photo = std::move(it->second.photo);
    std::vector<uint8_t>& px = photo.pixels;
    for (size_t i = 0; i < px.size(); i += 4)
        for (int c = 0; c < 3; ++c)
            px[i + c] = static_cast<uint8_t>((px[i + c] * px[i + 3] + 127) / 255);
    answer(request, &photo, "");
}

// The chosen file was refused: 0 it cannot be read, 1 it is too large.
extern "C" EMSCRIPTEN_KEEPALIVE void zorbelPhotoRefused(int request, int why)
{
    answer(request, nullptr,
           why == 1 ? "This photo is too large to be read. Choose a smaller one."
                    : "This photo cannot be read. Choose another one.");
}
