// Typed preferences over stored text: what each type reads from the text
// its platform's store holds, and the log line when the text is not of it.
#include "platform/prefs/prefs.h"

#include "platform/log/log.h"
#include "platform/prefs/prefValue.h"

#include <cfloat>
#include <cmath>
#include <limits>

namespace zorbel {

float Prefs::floatForKey(const char* key) const
{
    std::string text;
    double value = 0;
    if (!rawValue(key, text))
        return 0.0f;
    if (!parseFloatText(text, value)) {
        logLine("##### Preference %s is not a number; using its default", key);
        return 0.0f;
    }
    // Past the float range the conversion is undefined: say infinity.
    if (!(std::fabs(value) <= FLT_MAX)) {
        logLine("##### Preference %s is not a finite number", key);
        if (std::isnan(value))
            return std::numeric_limits<float>::quiet_NaN();
        return value > 0 ? std::numeric_limits<float>::infinity() : -std::numeric_limits<float>::infinity();
    }
    return static_cast<float>(value);
}

bool Prefs::boolForKey(const char* key) const
{
    std::string text;
    bool value = false;
    if (!rawValue(key, text))
        return false;
    if (!parseBoolText(text, value)) {
        logLine("##### Preference %s is not true or false; using its default", key);
        return false;
    }
    return value;
}

int Prefs::integerForKey(const char* key) const
{
    std::string text;
    int value = 0;
    if (!rawValue(key, text))
        return 0;
    if (!parseIntegerText(text, value)) {
        logLine("##### Preference %s is not a whole number; using its default", key);
        return 0;
    }
    return value;
}

std::string Prefs::stringForKey(const char* key) const
{
    std::string text, value;
    if (!rawValue(key, text))
        return std::string();
    if (!parseStringText(text, value)) {
        logLine("##### Preference %s is not a readable text; using its default", key);
        return std::string();
    }
    return value;
}

void Prefs::setFloat(float value, const char* key)
{
    storeValue(key, floatText(static_cast<double>(value)));
}

void Prefs::setBool(bool value, const char* key)
{
    storeValue(key, boolText(value));
}

void Prefs::setInteger(int value, const char* key)
{
    storeValue(key, integerText(value));
}

void Prefs::setString(const std::string& value, const char* key)
{
    storeValue(key, stringText(value));
}

}  // namespace zorbel
