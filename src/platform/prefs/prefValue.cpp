// Stored preference text, read and written as the desktop's key files
// (GLib's GKeyFile) read and write it.
#include "platform/prefs/prefValue.h"

#include <cerrno>
#include <climits>
#include <cstdio>
#include <cstdlib>

namespace zorbel {

namespace {

// True when `text` holds nothing but whole UTF-8 sequences (no overlong
// forms, surrogates or code points past U+10FFFF) and no NUL byte.
bool validUtf8(const std::string& text)
{
    const auto* s = reinterpret_cast<const unsigned char*>(text.data());
    const size_t n = text.size();
    for (size_t i = 0; i < n;) {
        const unsigned c = s[i];
        if (c == 0)
            return false;
        if (c < 0x80) {
            ++i;
            continue;
        }
        int more;
        unsigned cp;
        if ((c & 0xE0) == 0xC0) {
            more = 1;
            cp = c & 0x1F;
        } else if ((c & 0xF0) == 0xE0) {
            more = 2;
            cp = c & 0x0F;
        } else if ((c & 0xF8) == 0xF0) {
            more = 3;
            cp = c & 0x07;
        } else {
            return false;
        }
        for (int k = 1; k <= more; ++k) {
            if (i + k >= n || (s[i + k] & 0xC0) != 0x80)
                return false;
            cp = cp << 6 | (s[i + k] & 0x3F);
        }
        const unsigned least[4] = {0, 0x80, 0x800, 0x10000};
        if (cp < least[more] || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF))
            return false;
        i += static_cast<size_t>(more) + 1;
    }
    return true;
}

bool asciiSpace(char c)
{
    return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r';
}

}  // namespace

bool parseFloatText(const std::string& text, double& value)
{
    // The whole text, white space after the number included, must be the
    // number; the program never sets a locale, so the decimal point is ".".
    const char* start = text.c_str();
    char* end = nullptr;
    const double v = std::strtod(start, &end);
    if (end == start || *end != '\0' || end != start + text.size())
        return false;
    value = v;
    return true;
}

bool parseBoolText(const std::string& text, bool& value)
{
    // Trailing white space is allowed, leading is not.
    std::string word = text;
    while (!word.empty() && asciiSpace(word.back()))
        word.pop_back();
    if (word == "true" || word == "1") {
        value = true;
        return true;
    }
    if (word == "false" || word == "0") {
        value = false;
        return true;
    }
    return false;
}

bool parseIntegerText(const std::string& text, int& value)
{
    // Whatever follows the number once a white space character ends it is
    // ignored.
    const char* start = text.c_str();
    char* end = nullptr;
    errno = 0;
    const long v = std::strtol(start, &end, 10);
    if (text.empty() || (*end != '\0' && !asciiSpace(*end)))
        return false;
    if (errno == ERANGE || v < INT_MIN || v > INT_MAX)
        return false;
    value = static_cast<int>(v);
    return true;
}

bool parseStringText(const std::string& text, std::string& value)
{
    if (!validUtf8(text))
        return false;
    std::string out;
    out.reserve(text.size());
    for (size_t i = 0; i < text.size(); ++i) {
        if (text[i] != '\\') {
            out += text[i];
            continue;
        }
        if (++i == text.size())
            return false;  // an escape at the end
        switch (text[i]) {
        case 's':
            out += ' ';
            break;
        case 'n':
            out += '\n';
            break;
        case 't':
            out += '\t';
            break;
        case 'r':
            out += '\r';
            break;
        case '\\':
            out += '\\';
            break;
        default:
            return false;  // not an escape of ours
        }
    }
    value = std::move(out);
    return true;
}

std::string floatText(double value)
{
    char text[40];
    std::snprintf(text, sizeof text, "%.17g", value);
    return text;
}

std::string boolText(bool value)
{
    return value ? "true" : "false";
}

std::string integerText(int value)
{
    return std::to_string(value);
}

std::string stringText(const std::string& value)
{
    std::string out;
    bool leading = true;  // spaces and tabs before the first other character
    for (const char c : value) {
        switch (c) {
        case ' ':
            out += leading ? "\\s" : " ";
            break;
        case '\t':
            out += leading ? "\\t" : "\t";
            break;
        case '\n':
            out += "\\n";
            break;
        case '\r':
            out += "\\r";
            break;
        case '\\':
            out += "\\\\";
            leading = false;
            break;
        default:
            out += c;
            leading = false;
            break;
        }
    }
    return out;
}

}  // namespace zorbel
