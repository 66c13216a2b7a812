// Photos from the user's Pictures folder: listing them, and decoding them
// (JPEG, PNG, GIF, TIFF, TGA or WebP, as far as gdk-pixbuf reads them)
// upright, with their EXIF orientation applied, into the pixel layout the
// rest of the program uses.
#pragma once

#include <cstdint>
#include <functional>
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

// The system's own photo picker: the browser's file picker, which on a phone
// is its photo library. The desktop has none; its album screen lists the
// Pictures folder instead.
bool systemPhotoPickerExists();

// What the system picker hands back: the photo decoded upright with its
// longer side at most maxSide (the callee may take its pixels), or no photo
// and what to tell the user.
using PickedPhoto = std::function<void(RGBAImage* photo, const std::string& message)>;

// Opens the system picker (from inside a touch or a click). `done` runs on
// the main thread once a file is chosen and decoded or refused; never when
// the user closes the picker without choosing.
void pickSystemPhoto(int maxSide, PickedPhoto done);

}  // namespace zorbel
