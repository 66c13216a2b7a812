// Every test process gets fresh, empty XDG folders before anything asks glib
// for them (glib caches them per process), and a few file helpers.
#pragma once

#include <string>
#include <vector>

namespace zorbel::test {

// The temporary folder that stands in for $HOME in this process.
const std::string& testHome();

// A fresh empty folder inside testHome().
std::string freshDir(const char* name);

std::string readFile(const std::string& path);
void writeFile(const std::string& path, const std::string& bytes);
bool exists(const std::string& path);

// Makes the folder and any missing parents.
void makeDirs(const std::string& dir);

// Names in `dir`, sorted, without "." and "..".
std::vector<std::string> listDir(const std::string& dir);

// Adds an EXIF block with the given orientation right after a JPEG file's
// start (6: the picture is to be turned a quarter clockwise).
void tagJpegOrientation(const std::string& path, unsigned char orientation);

// The JPEG with its frame header (SOF0) claiming width x height: what a
// gigantic camera picture looks like to a decoder, in a few kilobytes.
std::string claimJpegSize(std::string jpeg, unsigned width, unsigned height);

// The output of a shell command.
std::string commandOutput(const std::string& cmd);

}  // namespace zorbel::test
