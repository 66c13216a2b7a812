#pragma once
// Pixel images in the layout every texture upload expects, and PNG files.

#include <cstdint>
#include <string>
#include <vector>

namespace zorbel {

// RGBA, 8 bits per component, alpha premultiplied, rows top first,
// stride width * 4 bytes.
struct RGBAImage {
    int width = 0;
    int height = 0;
    std::vector<uint8_t> pixels;
};

// Decodes a PNG file. Returns false, silently, when the file is missing, not
// a readable PNG, or its header claims a side longer than maxSide pixels (it
// is refused before anything is decoded); `out` is then left untouched.
bool loadPNG(const std::string& path, RGBAImage& out, int maxSide = 8192);

// The size a PNG file's header claims, without decoding it.
bool pngHeaderSize(const std::string& path, int& width, int& height);

// Encodes `img` as PNG bytes (straight alpha, as PNG requires). False when
// the image is malformed.
bool encodePNG(const RGBAImage& img, std::vector<uint8_t>& png);

// Writes `img` as a PNG file. Returns false when the image is malformed or
// the file cannot be written.
bool savePNG(const std::string& path, const RGBAImage& img);

}  // namespace zorbel
