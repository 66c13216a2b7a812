// The user's folders and safe file writes.
#pragma once

#include <cstddef>
#include <string>

namespace zorbel {

// $XDG_DATA_HOME/zorbel (by default ~/.local/share/zorbel): the app's
// documents, such as the custom face.
std::string appDataDir();

// The user's Pictures folder: XDG_PICTURES_DIR from user-dirs.dirs, else
// ~/Pictures.
std::string picturesDir();

// Writes the whole file or nothing: a temporary file in the same folder,
// fsync, rename over the old one. The folder is made when missing. On
// failure returns false and says why in `error`.
bool writeFileAtomically(const std::string& path, const void* data, size_t size, std::string& error);

// Removes what a writer killed mid-write left next to `path`: its temporary
// files, named `path` + "." + six letters or digits. Nothing else is touched.
// Called before a saved file is first read.
void removeUnfinishedWrites(const std::string& path);

}  // namespace zorbel
