// The text a preference is stored as, and how stored text is read back: the
// desktop's key files and the browser's storage hold the same text, read by
// these same functions. Each reader returns false for text that is not of
// its type.
#pragma once

#include <string>

namespace zorbel {

// A C-locale decimal or hexadecimal number, "inf" or "nan", whole.
bool parseFloatText(const std::string& text, double& value);
// "true" or "1", "false" or "0".
bool parseBoolText(const std::string& text, bool& value);
// A whole decimal number within the range of int.
bool parseIntegerText(const std::string& text, int& value);
// Valid UTF-8 with the escapes \s \n \t \r and \\.
bool parseStringText(const std::string& text, std::string& value);

// The double of a float written with 17 significant digits reads back as
// the very same float.
std::string floatText(double value);
std::string boolText(bool value);
std::string integerText(int value);
// Line breaks, tabs, backslashes and leading spaces escaped.
std::string stringText(const std::string& value);

}  // namespace zorbel
