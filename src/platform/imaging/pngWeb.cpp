// PNG decoding and encoding in the browser build: decoded by stb_image (which
// emscripten ships), premultiplied as cairo premultiplies on the desktop;
// encoded uncompressed (stored deflate blocks), which any PNG reader reads.
#include "platform/imaging/image.h"
#include "platform/imaging/pngFile.h"

#include <cstdio>
#include <algorithm>
#include <cstring>
#include <vector>

extern "C" {
unsigned char* stbi_load_from_memory(const unsigned char* buffer, int len, int* x, int* y, int* channels, int wanted);
void stbi_image_free(void* pixels);
}

namespace zorbel {

namespace {

bool readWhole(const std::string& path, std::vector<unsigned char>& bytes)
{
    std::FILE* f = std::fopen(path.c_str(), "rb");
    if (!f)
        return false;
    unsigned char chunk[65536];
    size_t n;
    while ((n = std::fread(chunk, 1, sizeof chunk, f)) > 0)
        bytes.insert(bytes.end(), chunk, chunk + n);
    const bool ok = !std::ferror(f);
    std::fclose(f);
    return ok;
}

uint32_t crc32(const unsigned char* p, size_t n, uint32_t crc = 0)
{
    static uint32_t table[256];
    static bool made = false;
    if (!made) {
        for (uint32_t i = 0; i < 256; ++i) {
            uint32_t c = i;
            for (int k = 0; k < 8; ++k)
                c = c & 1 ? 0xEDB88320u ^ (c >> 1) : c >> 1;
            table[i] = c;
        }
        made = true;
    }
    crc = ~crc;
    for (size_t i = 0; i < n; ++i)
        crc = table[(crc ^ p[i]) & 0xff] ^ (crc >> 8);
    return ~crc;
}

void put32(std::vector<uint8_t>& out, uint32_t v)
{
    for (int shift = 24; shift >= 0; shift -= 8)
        out.push_back(static_cast<uint8_t>(v >> shift));
}

void chunk(std::vector<uint8_t>& out, const char type[4], const std::vector<uint8_t>& data)
{
    put32(out, static_cast<uint32_t>(data.size()));
    const size_t start = out.size();
    out.insert(out.end(), type, type + 4);
    out.insert(out.end(), data.begin(), data.end());
    put32(out, crc32(out.data() + start, out.size() - start));
}

}  // namespace

bool loadPNG(const std::string& path, RGBAImage& out, int maxSide)
{
    if (!pngSafeToDecode(path, maxSide))
        return false;
    std::vector<unsigned char> bytes;
    if (!readWhole(path, bytes) || bytes.size() > 0x7fffffff)
        return false;
    int width = 0, height = 0, channels = 0;
    unsigned char* pixels =
        stbi_load_from_memory(bytes.data(), static_cast<int>(bytes.size()), &width, &height, &channels, 4);
    if (!pixels)
        return false;
    out.width = width;
    out.height = height;
    out.pixels.assign(pixels, pixels + static_cast<size_t>(width) * height * 4);
    stbi_image_free(pixels);
    for (size_t i = 0; i < out.pixels.size(); i += 4) {
        const int a = out.pixels[i + 3];
        if (a == 255)
            continue;
        for (int c = 0; c < 3; ++c) {
            const int t = a * out.pixels[i + c] + 0x80;  // x * a / 255, rounded
            out.pixels[i + c] = static_cast<uint8_t>((t + (t >> 8)) >> 8);
        }
    }
    return true;
}

bool encodePNG(const RGBAImage& img, std::vector<uint8_t>& png)
{
    if (img.width <= 0 || img.height <= 0 || img.pixels.size() != size_t(img.width) * img.height * 4)
        return false;
    // The rows, each after filter byte 0, with straight alpha.
    const size_t rowBytes = size_t(img.width) * 4 + 1;
    std::vector<uint8_t> raw(rowBytes * img.height);
    for (int y = 0; y < img.height; ++y) {
        uint8_t* row = raw.data() + rowBytes * y;
        const uint8_t* src = img.pixels.data() + size_t(y) * img.width * 4;
        row[0] = 0;
        for (int x = 0; x < img.width; ++x, src += 4) {
            const int a = src[3];
            for (int c = 0; c < 3; ++c)
                row[1 + 4 * x + c] = a == 0 ? 0 : static_cast<uint8_t>(std::min(255, (src[c] * 255 + a / 2) / a));
            row[1 + 4 * x + 3] = static_cast<uint8_t>(a);
        }
    }
    // A zlib stream of stored blocks of at most 65535 bytes.
    std::vector<uint8_t> z = {0x78, 0x01};
    for (size_t at = 0; at < raw.size() || raw.empty();) {
        const size_t n = std::min<size_t>(65535, raw.size() - at);
        const bool last = at + n == raw.size();
        z.push_back(last ? 1 : 0);
        z.push_back(static_cast<uint8_t>(n));
        z.push_back(static_cast<uint8_t>(n >> 8));
        z.push_back(static_cast<uint8_t>(~n));
        z.push_back(static_cast<uint8_t>(~n >> 8));
        z.insert(z.end(), raw.begin() + static_cast<long>(at), raw.begin() + static_cast<long>(at + n));
        at += n;
        if (last)
            break;
    }
    uint32_t s1 = 1, s2 = 0;  // Adler-32
    for (const uint8_t b : raw) {
        s1 = (s1 + b) % 65521;
        s2 = (s2 + s1) % 65521;
    }
    put32(z, s2 << 16 | s1);

    png = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1a, '\n'};
    std::vector<uint8_t> header;
    put32(header, static_cast<uint32_t>(img.width));
    put32(header, static_cast<uint32_t>(img.height));
    header.insert(header.end(), {8, 6, 0, 0, 0});  // 8 bits, RGBA, deflate, no filter choice, not interlaced
    chunk(png, "IHDR", header);
    chunk(png, "IDAT", z);
    chunk(png, "IEND", {});
    return true;
}

}  // namespace zorbel
