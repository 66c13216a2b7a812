#pragma once
// Where the images shipped with the program live.

#include <string>

namespace zorbel {

// Full path of the shipped resource `name` (e.g. "bb512x512.png"). Looks, in
// order, in <exe dir>/../share/zorbel/, <exe dir>/resources/ and the source
// tree's resources/ folder; the current directory never matters. When none
// holds the file, returns the first of those paths: loading it then fails and
// the caller can still log a telling name.
std::string resourcePath(const char* name);

}  // namespace zorbel
