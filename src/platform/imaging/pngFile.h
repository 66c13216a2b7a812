// Internal to zorbel_imaging: the checks made on a PNG file before any
// platform decodes it.
#pragma once

#include <string>

namespace zorbel {

// False for a file that is not a PNG, claims a side longer than maxSide
// pixels (a decompression bomb), or whose chunks do not fit in the file (cut
// short, or lying about a chunk's length). Nothing is decoded.
bool pngSafeToDecode(const std::string& path, int maxSide);

}  // namespace zorbel
