// Microphone sensitivity: the beat detector's least level range, stored as "MIN_DYN".
#include "audio/audioInMeter.h"

#include "platform/prefs/prefs.h"

#include <cmath>

namespace zorbel {

float g_minDyn = 0.04f;

namespace {
const char kMinDynKey[] = "MIN_DYN";
}

void loadMicSensitivity()
{
    float stored = Prefs::standardUserDefaults()->floatForKey(kMinDynKey);
    // 0 or less would let the detector divide by zero; not finite would kill it.
    g_minDyn = (stored > 0.0f && std::isfinite(stored)) ? stored : 0.04f;
}

void setMicSensitivity(float sensitivity)
{
    if (std::isnan(sensitivity))
        return;  // no slider gives this; keep the detector alive
    float minDyn = static_cast<float>((100.0 - sensitivity) * 0.0013 + 0.02);
    if (minDyn < 0.02)
        minDyn = 0.02f;
    if (minDyn > 0.15)
        minDyn = 0.15f;
    g_minDyn = minDyn;
    Prefs::standardUserDefaults()->setFloat(g_minDyn, kMinDynKey);
}

float getMicSensitivity()
{
    const double minDyn = g_minDyn;
    if (minDyn < 0.02)
        return 100.0f;
    if (minDyn > 0.15)
        return 0.0f;
    return static_cast<float>(((0.02 - minDyn) / 0.13 + 1) * 100);
}

}  // namespace zorbel
