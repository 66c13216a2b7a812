#include "script.h"

#include <cerrno>
#include <clocale>
#include <cmath>
#include <cstdlib>
#include <locale.h>
#include <sstream>

namespace zorbel {

namespace {

// Numbers are C-locale whatever the environment says.
locale_t cLocale()
{
    static locale_t loc = newlocale(LC_ALL_MASK, "C", static_cast<locale_t>(0));
    return loc;
}

bool toFloat(const std::string& word, float& out)
{
    char* end = nullptr;
    out = strtof_l(word.c_str(), &end, cLocale());
    return !word.empty() && *end == '\0';
}

bool toDouble(const std::string& word, double& out)
{
    char* end = nullptr;
    out = strtod_l(word.c_str(), &end, cLocale());
    return !word.empty() && *end == '\0';
}

// A count: a whole, non-negative number.
bool toCount(const std::string& word, long& out)
{
    float value = 0;
    if (!toFloat(word, value) || !(value >= 0.0f) || value > 1e9f || std::floor(value) != value)
        return false;
    out = static_cast<long>(value);
    return true;
}

bool toPhase(const std::string& word, ScriptPhase& out)
{
    if (word == "began")
        out = ScriptPhase::Began;
    else if (word == "moved")
        out = ScriptPhase::Moved;
    else if (word == "ended")
        out = ScriptPhase::Ended;
    else
        return false;
    return true;
}

// Parses words[1..] as floats into f, requiring exactly n of them (n < 0: any even count >= 2).
bool floats(const std::vector<std::string>& words, size_t first, int n, std::vector<float>& f, std::string& why)
{
    const size_t have = words.size() - first;
    if (n >= 0 && have != static_cast<size_t>(n)) {
        why = "expects " + std::to_string(n) + (n == 1 ? " number" : " numbers");
        return false;
    }
    if (n < 0 && (have < 2 || have % 2 != 0)) {
        why = "expects pairs of coordinates";
        return false;
    }
    for (size_t i = first; i < words.size(); ++i) {
        float v = 0;
        if (!toFloat(words[i], v)) {
            why = "'" + words[i] + "' is not a number";
            return false;
        }
        f.push_back(v);
    }
    return true;
}

bool parseLine(const std::vector<std::string>& w, const ScriptOptions& options, ScriptCommand& c, std::string& why)
{
    const std::string& name = w[0];
    if (name == "accel") {
        c.kind = ScriptCommand::Accel;
        if (w.size() != 4) {
            why = "expects 3 numbers";
            return false;
        }
        for (int i = 0; i < 3; ++i) {
            if (!toDouble(w[i + 1], c.a[i])) {
                why = "'" + w[i + 1] + "' is not a number";
                return false;
            }
        }
        return true;
    }
    if (name == "level") {
        c.kind = ScriptCommand::Level;
        if (!options.allowLevel) {
            why = "level cannot be used with --audio";
            return false;
        }
        return floats(w, 1, 1, c.f, why);
    }
    if (name == "touches" || (name == "croptouches" && options.allowCrop)) {
        c.kind = name == "touches" ? ScriptCommand::Touches : ScriptCommand::CropTouches;
        if (w.size() < 2 || !toPhase(w[1], c.phase)) {
            why = "expects a phase: began, moved or ended";
            return false;
        }
        return floats(w, 2, -1, c.f, why);
    }
    if (name == "frames" || name == "animation") {
        c.kind = name == "frames" ? ScriptCommand::Frames : ScriptCommand::Animation;
        if (w.size() != 2 || !toCount(w[1], c.count) || (c.kind == ScriptCommand::Animation && c.count > 1)) {
            why = name == "frames" ? "expects a whole number of frames" : "expects 0 or 1";
            return false;
        }
        return true;
    }
    if (name == "multipliers") {
        c.kind = ScriptCommand::Multipliers;
        return floats(w, 1, 3, c.f, why);
    }
    if (name == "sensitivity") {
        c.kind = ScriptCommand::Sensitivity;
        return floats(w, 1, 1, c.f, why);
    }
    if (name == "strips" || name == "facefan") {
        c.kind = name == "strips" ? ScriptCommand::Strips : ScriptCommand::FaceFan;
        if (w.size() != 1) {
            why = "takes no arguments";
            return false;
        }
        return true;
    }
    if (name == "face") {
        c.kind = ScriptCommand::Face;
        if (w.size() < 2) {
            why = "expects a PNG file, or none";
            return false;
        }
        if (!(w.size() == 2 && w[1] == "none")) {
            for (size_t i = 1; i < w.size(); ++i)
                c.text += (i > 1 ? " " : "") + w[i];
        }
        return true;
    }
    if (name == "crop" && options.allowCrop) {
        c.kind = ScriptCommand::Crop;
        if (!floats(w, 1, 2, c.f, why))
            return false;
        // Photo sizes in whole pixels; 0 or less is a photo without pixels.
        for (float v : c.f) {
            if (!(std::fabs(v) <= 1e9f) || std::floor(v) != v) {
                why = "expects whole numbers of pixels";
                return false;
            }
        }
        return true;
    }
    why = "unknown command '" + name + "'";
    return false;
}

}  // namespace

bool parseScript(const std::string& text, const ScriptOptions& options, std::vector<ScriptCommand>& out,
                 std::string& error)
{
    std::istringstream in(text);
    std::string line;
    bool cropSeen = false;
    for (int number = 1; std::getline(in, line); ++number) {
        const size_t hash = line.find('#');
        if (hash != std::string::npos)
            line.erase(hash);
        std::istringstream words(line);
        std::vector<std::string> w;
        for (std::string word; words >> word;)
            w.push_back(word);
        if (w.empty())
            continue;
        ScriptCommand c;
        c.line = number;
        std::string why;
        bool ok = parseLine(w, options, c, why);
        if (ok && c.kind == ScriptCommand::Crop)
            cropSeen = true;
        if (ok && c.kind == ScriptCommand::CropTouches && !cropSeen) {
            why = "croptouches needs a crop editor: put a crop line first";
            ok = false;
        }
        if (!ok) {
            error = "line " + std::to_string(number) + ": " + why;
            return false;
        }
        out.push_back(std::move(c));
    }
    return true;
}

}  // namespace zorbel
