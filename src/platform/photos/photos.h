// Photos from the user's Pictures folder: listing them, and decoding them
// (JPEG, PNG, GIF, TIFF, TGA or WebP, as far as gdk-pixbuf reads them)
// upright, with their EXIF orientation applied, into the pixel layout the
// rest of the program uses.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace zorbel {

struct RGBAImage;

struct AlbumEntry {
    std::string path;
    int64_t modified = 0;  // seconds since the epoch
};

// Picture files in `dir` and one level of its subfolders, newest first.
// A missing or unreadable folder gives an empty list.
std::vector<AlbumEntry> listAlbum(const std::string& dir);

// The longest side of a photo handed to the crop editor, from the album or
// the camera, in pixels.
constexpr int kMaxPhotoSide = 4096;

// Decodes a photo with its longer side at most maxSide pixels, scaled while
// decoding where the format allows it. A photo that cannot be decoded, is
// cut short or damaged, has no pixels, or would need far too much memory to
// decode is refused: false.
bool loadPhoto(const std::string& path, RGBAImage& out, int maxSide = kMaxPhotoSide);

// A picture fitting in size x size, for the picker's grid; false as above.
bool loadThumbnail(const std::string& path, int size, RGBAImage& out);

}  // namespace zorbel
