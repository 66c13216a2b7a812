#include "app/iZorbelAppDelegate.h"

#include "view/EAGLView.h"

#include <cmath>

namespace zorbel {

void iZorbelAppDelegate::applicationDidFinishLaunching()
{
    if (startAccelerometer)
        startAccelerometer(1.0 / 60.0);
    if (!glView)
        return;
    glView->setAnimationInterval(1.0 / 60.0);
    glView->setMultipleTouchEnabled(true);  // every finger reaches the board
    glView->startAnimation();
}

void iZorbelAppDelegate::applicationWillResignActive()
{
    if (glView)
        glView->setAnimationInterval(0.2);
}

void iZorbelAppDelegate::applicationDidBecomeActive()
{
    if (glView)
        glView->setAnimationInterval(1.0 / 60.0);
}

void iZorbelAppDelegate::accelerometerDidAccelerate(double x, double y, double z)
{
    const float fx = static_cast<float>(x);
    const float fy = static_cast<float>(y);
    const float fz = static_cast<float>(z);
    if (!std::isfinite(fx) || !std::isfinite(fy) || !std::isfinite(fz) || !glView)
        return;
    glView->setAccelX(fx);
    glView->setAccelY(fy);
    glView->setAccelZ(fz);
}

}  // namespace zorbel
