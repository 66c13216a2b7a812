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

// Decodes a PNG file. Returns false, silently, when the file is missing or
// not a readable PNG; `out` is then left untouched.
bool loadPNG(const std::string& path, RGBAImage& out);

// Writes `img` as a PNG file (straight alpha in the file, as PNG requires).
// Returns false when the image is malformed or the file cannot be written.
bool savePNG(const std::string& path, const RGBAImage& img);

}  // namespace zorbel
