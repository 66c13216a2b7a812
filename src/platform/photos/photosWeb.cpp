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

// A photo needing more memory than this to decode whole is refused.
const long long kMaxDecodePixels = 64LL * 1000 * 1000;

// The longest side a picked photo is decoded at: a phone's screen at three
// pixels a point is 1440 pixels high, and the face editor shows the photo
// on it (a JPEG decoder picks the largest eighth, quarter or half within
// it: a phone camera's photo comes in at about 1000 pixels). A copy of a
// photo this size on its way in is 9 MB at most, and there are a few.
const int kMostDecodedSide = 1536;

// Photos being chosen or decoded, by request.
struct Request {
    PickedPhoto done;
    RGBAImage photo;  // the page writes the decoded picture's pixels here
    int maxSide = 1;
};

std::map<int, Request>& requests()
{
    static std::map<int, Request> pending;
    return pending;
}

// clang-format off
// The file picker: one hidden file input, opened from inside the user's
// touch or click. The chosen file's size is read from its header first (an
// image element does not decode until drawn). The browser then decodes it
// upright (its EXIF orientation applied) at the size the face editor shows
// it, so that a 48-megapixel photo never lies whole in the page's memory
// (190 MB, which can make iOS close the tab):
// - where there is an image decoder (WebCodecs), at a size it can decode to
//   directly (a JPEG at a half, a quarter or an eighth), its pixels copied
//   out as they are and turned upright by the program;
// - else where createImageBitmap decodes at a size, so;
// - else whole and scaled down; there a photo too large for the page's
//   memory is refused first.
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
    // Whether createImageBitmap honours resizeWidth and resizeHeight (a
    // browser ignores options it does not know).
    if (Module.zorbelDecodesResized === undefined) {
        Module.zorbelDecodesResized = Promise.resolve().then(function () {
            var probe = document.createElement("canvas");
            probe.width = probe.height = 2;
            return createImageBitmap(probe, { resizeWidth: 1, resizeHeight: 1 })
                .then(function (b) { var one = b.width == 1; b.close(); return one; });
        }).catch(function () { return false; });
    }
    var resizes = Module.zorbelDecodesResized;
    // The image decoder's way: a frame at a size near maxSide, copied as
    // RGBA into the request's buffer; the turn that stands it upright. Null
    // where there is no decoder for it.
    var decodeSmall = function (file) {
        if (typeof ImageDecoder != "function" || !file.type)
            return Promise.resolve(null);
        return ImageDecoder.isTypeSupported(file.type).then(function (supported) {
            if (!supported)
                return null;
            var decoder = new ImageDecoder({ data: file.stream(), type: file.type,
                                             desiredWidth: maxSide, desiredHeight: maxSide });
            return decoder.decode().then(function (result) {
                // Straight into the program's memory, where nothing is
                // made while the copy runs (a frame allocates nothing).
                var frame = result.image, w = frame.visibleRect.width, h = frame.visibleRect.height;
                var at = _zorbelPhotoBuffer(request, w, h);
                if (!at) {
                    frame.close();
                    decoder.close();
                    return { gone: true };
                }
                return frame.copyTo(HEAPU8.subarray(at, at + w * h * 4), { format: "RGBA" }).then(function () {
                    var turn = { rotation: frame.rotation || 0, flip: !!frame.flip };
                    frame.close();
                    decoder.close();
                    return turn;
                });
            }).catch(function (e) {
                decoder.close();
                throw e;
            });
        }).catch(function (e) {
            console.log("photo " + file.name + ": the image decoder gave up (" + e + "); decoding it another way");
            return null;
        });
    };
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
        var hand = function (pixels, w, h, rotation, flip) {
            var at = _zorbelPhotoBuffer(request, w, h);
            if (!at)
                return;
            HEAPU8.set(pixels, at);
            _zorbelPhotoPicked(request, rotation, flip ? 1 : 0);
        };
        var url = URL.createObjectURL(file);
        var img = new Image();
        img.onerror = function () {
            URL.revokeObjectURL(url);
            refuse(0, "not a picture this browser can read");
        };
        img.onload = function () {
            // The natural size is the upright one.
            var w = img.naturalWidth, h = img.naturalHeight;
            if (!(w > 0 && h > 0)) {
                URL.revokeObjectURL(url);
                return refuse(0, "no pixels");
            }
            var scale = Math.min(1, maxSide / Math.max(w, h));
            var cw = Math.max(1, Math.round(w * scale)), ch = Math.max(1, Math.round(h * scale));
            decodeSmall(file).then(function (small) {
                if (small) {
                    URL.revokeObjectURL(url);
                    if (!small.gone)
                        _zorbelPhotoPicked(request, small.rotation, small.flip ? 1 : 0);
                    return;
                }
                return resizes.then(function (atSize) {
                    if (!atSize && w * h > maxPixels)
                        return Promise.reject({ tooLarge: true });
                    if (!window.createImageBitmap)
                        return img;
                    var options = { imageOrientation: "from-image" };
                    if (atSize) {
                        options.resizeWidth = cw;
                        options.resizeHeight = ch;
                        options.resizeQuality = "high";
                    }
                    // A browser that refuses these options draws the image
                    // element, which it shows upright too.
                    return createImageBitmap(file, options).catch(function () { return img; });
                }).then(function (picture) {
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
                    canvas.width = canvas.height = 0;  // its pixels go now, not when collected
                    hand(data, cw, ch, 0, false);
                });
            }).catch(function (e) {
                URL.revokeObjectURL(url);
                if (e && e.tooLarge)
                    return refuse(1, w + " x " + h + " pixels");
                refuse(0, e && e.message ? e.message : String(e));
            });
        };
        img.src = url;
    };
    input.click();
});
// clang-format on

// Straight RGBA to premultiplied, box-averaged down to fit maxSide, and
// stood upright: a picture to be turned `rotation` degrees clockwise (a
// multiple of 90), then mirrored left to right when `flip` (as an image
// decoder's frame says, for the EXIF orientations), is read so.
void fit(const unsigned char* src, int w, int h, int maxSide, RGBAImage& out, int rotation = 0, bool flip = false)
{
    const int quarters = ((rotation / 90) % 4 + 4) % 4;
    const int uw = quarters % 2 ? h : w, uh = quarters % 2 ? w : h;  // the upright size
    // The source pixel at an upright position.
    auto source = [&](int ux, int uy) {
        const int tx = flip ? uw - 1 - ux : ux;  // where it was before the mirror
        int x = tx, y = uy;
        if (quarters == 1) {
            x = uy;
            y = h - 1 - tx;
        } else if (quarters == 2) {
            x = w - 1 - tx;
            y = h - 1 - uy;
        } else if (quarters == 3) {
            x = w - 1 - uy;
            y = tx;
        }
        return src + (static_cast<size_t>(y) * w + x) * 4;
    };
    const int step = std::max(1, (std::max(uw, uh) + maxSide - 1) / maxSide);
    out.width = std::max(1, uw / step);
    out.height = std::max(1, uh / step);
    out.pixels.assign(static_cast<size_t>(out.width) * out.height * 4, 0);
    for (int y = 0; y < out.height; ++y)
        for (int x = 0; x < out.width; ++x) {
            unsigned sum[4] = {0, 0, 0, 0}, n = 0;
            for (int dy = 0; dy < step && y * step + dy < uh; ++dy)
                for (int dx = 0; dx < step && x * step + dx < uw; ++dx, ++n) {
                    const unsigned char* p = source(x * step + dx, y * step + dy);
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
    requests()[request].maxSide = std::clamp(maxSide, 1, kMostDecodedSide);
    jsPickPhoto(request, requests()[request].maxSide, static_cast<double>(kMaxDecodePixels));
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

// The buffer holds the picture, to be turned `rotation` degrees clockwise
// and then mirrored when `flip` to stand upright: so turned, fitted to the
// request's size and premultiplied, it goes to the request.
extern "C" EMSCRIPTEN_KEEPALIVE void zorbelPhotoPicked(int request, int rotation, int flip)
{
    auto it = zorbel::requests().find(request);
    if (it == zorbel::requests().end())
        return;
    zorbel::RGBAImage upright;
    {
        const zorbel::RGBAImage photo = std::move(it->second.photo);  // gone once read
        zorbel::fit(photo.pixels.data(), photo.width, photo.height, it->second.maxSide, upright, rotation, flip != 0);
    }
    answer(request, &upright, "");
}

// The chosen file was refused: 0 it cannot be read, 1 it is too large.
extern "C" EMSCRIPTEN_KEEPALIVE void zorbelPhotoRefused(int request, int why)
{
    answer(request, nullptr,
           why == 1 ? "This photo is too large to be read. Choose a smaller one."
                    : "This photo cannot be read. Choose another one.");
}
