// Every test process gets fresh, empty XDG folders before anything asks glib
// for them (glib caches them per process).
#pragma once

#include <string>

namespace zorbel::test {

// The temporary folder that stands in for $HOME in this process.
const std::string& testHome();

// A fresh empty folder inside testHome().
std::string freshDir(const char* name);

}  // namespace zorbel::test
