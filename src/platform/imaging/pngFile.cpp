// PNG files: what can be told from a file before decoding it, and writing
// one. Decoding and encoding are the platform's (pngCairo.cpp, pngWeb.cpp).
#include "platform/imaging/image.h"
#include "platform/imaging/pngFile.h"

#include <algorithm>
#include <cstdio>

namespace zorbel {

bool pngHeaderSize(const std::string& path, int& width, int& height)
{
    // Signature (8 bytes), then the IHDR chunk: length, type, width, height.
    unsigned char header[24];
    std::FILE* f = std::fopen(path.c_str(), "rb");
    if (!f)
        return false;
    const size_t got = std::fread(header, 1, sizeof header, f);
    std::fclose(f);
    static const unsigned char signature[8] = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1a, '\n'};
    if (got != sizeof header || !std::equal(signature, signature + 8, header) ||
        !std::equal(header + 12, header + 16, reinterpret_cast<const unsigned char*>("IHDR")))
        return false;
    auto be32 = [](const unsigned char* p) {
        return uint32_t(p[0]) << 24 | uint32_t(p[1]) << 16 | uint32_t(p[2]) << 8 | p[3];
    };
    const uint32_t w = be32(header + 16);
    const uint32_t h = be32(header + 20);
    if (w == 0 || h == 0 || w > 0x7fffffff || h > 0x7fffffff)
        return false;
    width = static_cast<int>(w);
    height = static_cast<int>(h);
    return true;
}

// libpng reserves a chunk's stated length before reading it: a few bytes
// claiming a 2 GB text chunk ask for 2 GB. Every chunk up to the end marker
// must fit in what is left of the file.
static bool chunksFitTheFile(const std::string& path)
{
    std::FILE* f = std::fopen(path.c_str(), "rb");
    if (!f)
        return false;
    std::fseek(f, 0, SEEK_END);
    const long size = std::ftell(f);
    long at = 8;  // after the signature
    bool fits = false;
    unsigned char head[8];
    while (size >= 0 && at + 12 <= size && std::fseek(f, at, SEEK_SET) == 0 && std::fread(head, 1, 8, f) == 8) {
        const long length = long(head[0]) << 24 | long(head[1]) << 16 | long(head[2]) << 8 | head[3];
        if (length > size - at - 12)
            break;
        if (std::equal(head + 4, head + 8, reinterpret_cast<const unsigned char*>("IEND"))) {
            fits = true;
            break;
        }
        at += 12 + length;  // length, type, data, CRC
    }
    std::fclose(f);
    return fits;
}

bool pngSafeToDecode(const std::string& path, int maxSide)
{
    int claimedW = 0, claimedH = 0;
    if (!pngHeaderSize(path, claimedW, claimedH) || claimedW > maxSide || claimedH > maxSide)
        return false;               // not a PNG, or a decompression bomb
    return chunksFitTheFile(path);  // cut short, or lying about its chunks
}

bool savePNG(const std::string& path, const RGBAImage& img)
{
    std::vector<uint8_t> png;
    if (!encodePNG(img, png))
        return false;
    std::FILE* f = std::fopen(path.c_str(), "wb");
    if (!f)
        return false;
    const bool written = std::fwrite(png.data(), 1, png.size(), f) == png.size();
    return std::fclose(f) == 0 && written;
}

}  // namespace zorbel
