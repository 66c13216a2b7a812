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

// The output of a shell command.
std::string commandOutput(const std::string& cmd);

}  // namespace zorbel::test
