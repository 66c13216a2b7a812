// The user's folders and safe file writes.
#pragma once

#include <cstddef>
#include <functional>
#include <string>

namespace zorbel {

// $XDG_DATA_HOME/zorbel (by default ~/.local/share/zorbel): the app's
// documents, such as the custom face.
std::string appDataDir();

// The user's Pictures folder: XDG_PICTURES_DIR from user-dirs.dirs, else
// ~/Pictures.
std::string picturesDir();

// The user's Videos folder (xdg-user-dir VIDEOS), else ~/Videos.
std::string videosDir();

// Writes the whole file or nothing: a temporary file in the same folder,
// fsync, rename over the old one. The folder is made when missing. On
// failure returns false and says why in `error`.
bool writeFileAtomically(const std::string& path, const void* data, size_t size, std::string& error);

// Brings back the files the app wrote on earlier visits before anything
// reads them, then calls `ready`. The browser keeps them in its own storage;
// on the desktop they are simply there, and `ready` runs at once. A browser
// whose storage does not answer within 3 s gets `ready` without them; if
// they come later, they are brought back (but for files written since) and
// `late` is called.
void restoreAppData(std::function<void()> ready, std::function<void()> late = {});

// Called when the browser would not keep a file that was written (full is
// true when its storage is full). This visit still has the new file; the
// next one finds the file as it was before. Never called on the desktop.
void onFileNotKept(std::function<void(bool full)> handler);

// Removes what a writer killed mid-write left next to `path`: its temporary
// files, named `path` + "." + six letters or digits. Nothing else is touched.
// Called before a saved file is first read.
void removeUnfinishedWrites(const std::string& path);

}  // namespace zorbel
