// The info and settings overlay over the running scene.
#include "uiFixture.h"

#include "audio/audioInMeter.h"
#include "audio/audioInput.h"
#include "platform/audio/sdlAudioInput.h"
#include "platform/imaging/image.h"
#include "platform/prefs/prefs.h"
#include "testHome.h"

namespace zorbel::test {
namespace {

std::vector<Slider*> sliders(View& overlay)
{
    std::vector<Slider*> found;
    for (const auto& v : overlay.subviews())
        if (auto* s = dynamic_cast<Slider*>(v.get()))
            found.push_back(s);
    return found;
}

float storedFloat(const char* key)
{
    return Prefs(Prefs::defaultPath()).floatForKey(key);
}

// Both pages draw the translucent page and their texts, and toggle without
// leaving anything behind.
TEST_F(UiTest, OpensOnTheInfoPageTogglesPagesAndEscapeClosesIt)
{
    const float angle = view->infoIconAngle();
    InfoView* overlay = openOverlay();
    ASSERT_NE(overlay, nullptr);
    EXPECT_EQ(overlay->superview(), view.get());
    EXPECT_NE(view->infoIconAngle(), angle);  // the icon flipped
    EXPECT_EQ(overlay->mode(), 0);
    EXPECT_EQ(overlay->subviews().size(), 6u);  // page, two buttons, three labels
    RGBAImage pic;                              // premultiplied, two pixels a point
    // Pixels inside r (points) drawn darker than the page: text.
    auto inkIn = [&](Rect r) {
        return countPixels(pic, static_cast<int>(r.x * 2), static_cast<int>(r.y * 2),
                           static_cast<int>((r.x + r.width) * 2), static_cast<int>((r.y + r.height) * 2),
                           [](Pixel p) { return p.a > 200 && p.r < 100; });
    };
    screen.render(640, 960, pic);
    EXPECT_NEAR(pixelAt(pic, 2 * 35, 2 * 25).a, 166, 3);  // the page: white at opacity 0.65
    EXPECT_EQ(pixelAt(pic, 2 * 20, 2 * 200).a, 0);        // clear around it
    EXPECT_GT(inkIn({40, 30, 240, 400}), 2000);           // the info text
    EXPECT_GT(inkIn({40, 420, 100, 20}), 20);             // the version
    EXPECT_GT(inkIn({185, 420, 100, 20}), 20);            // the copyright notice,
    EXPECT_EQ(inkIn({287, 415, 33, 30}), 0);              // clear of the page's edge (290)

    tapButton("Settings");
    EXPECT_EQ(overlay->mode(), 1);
    EXPECT_EQ(overlay->subviews().size(), 18u);  // page, two buttons, fifteen settings controls
    screen.render(640, 960, pic);
    for (Rect r : {Rect{35, 25, 250, 30}, Rect{35, 110, 250, 30}, Rect{45, 245, 230, 20}, Rect{45, 345, 230, 20}})
        EXPECT_GT(inkIn(r), 40) << r.x << ", " << r.y;
    // No label's words reach down into the rows of a slider's knob (above its
    // track, away from the knob itself).
    for (Slider* s : sliders(*overlay)) {
        const Rect f = s->frame();
        const float centre = f.y + f.height / 2, knob = 11.5f;
        const float knobX =
            f.x + knob +
            (s->value() - s->minimumValue()) / (s->maximumValue() - s->minimumValue()) * (f.width - 2 * knob);
        auto words = [&](float x0, float x1) {
            return countPixels(pic, static_cast<int>(2 * x0), static_cast<int>(2 * (centre - knob)),
                               static_cast<int>(2 * x1), static_cast<int>(2 * (centre - 5)),
                               [](Pixel p) { return p.a > 200 && p.r < 100 && p.g < 100 && p.b < 100; });
        };
        EXPECT_EQ(words(f.x, knobX - knob - 2) + words(knobX + knob + 2, f.x + f.width), 0)
            << "a label runs into the slider at y " << f.y;
    }
    tapButton("Info");
    EXPECT_EQ(overlay->mode(), 0);
    EXPECT_EQ(overlay->subviews().size(), 6u);

    EXPECT_TRUE(screen.dispatchKey(Key::Escape, false));
    EXPECT_EQ(findKind<InfoView>(), nullptr);
    EXPECT_FALSE(screen.dispatchKey(Key::Escape, false));  // only the scene is left
}

// The physics sliders act at once; Reset puts them back at one; they are
// stored when the overlay is dismissed, not before.
TEST_F(UiTest, SlidersActAtOnceAndAreStoredOnlyOnDismiss)
{
    const float stored = storedFloat("STICKY_MULT");
    InfoView* overlay = openOverlay();
    tapButton("Settings");
    auto s = sliders(*overlay);
    ASSERT_EQ(s.size(), 4u);
    for (Slider* slider : {s[1], s[2], s[3]}) {
        const Rect f = slider->frame();
        finger.slide({f.x + f.width / 2, f.y + 3}, {f.x, f.y + 3});  // to the left end
    }
    EXPECT_EQ(g_springCoefMultipler, 0.4f);
    EXPECT_EQ(g_springDampersMultipler, 0.7f);
    EXPECT_EQ(g_stickynessMultiplier, 0.1f);
    tapButton("Reset physics");
    for (float m : {g_springCoefMultipler, g_springDampersMultipler, g_stickynessMultiplier})
        EXPECT_EQ(m, 1.0f);
    for (Slider* slider : {s[1], s[2], s[3]})
        EXPECT_EQ(slider->value(), 1.0f);

    const Point left = overlay->convertToScreen({45, 373.5f});
    finger.slide({left.x + 110, left.y}, {left.x + 400, left.y});  // friction, past the right end
    EXPECT_EQ(g_stickynessMultiplier, 1.9f);
    EXPECT_EQ(storedFloat("STICKY_MULT"), stored);  // not stored yet
    std::weak_ptr<View> alive = overlay->shared_from_this();
    tapButton("Dismiss");
    EXPECT_TRUE(alive.expired());
    EXPECT_EQ(storedFloat("STICKY_MULT"), 1.9f);
    EXPECT_EQ(storedFloat("SPR_COEFF_MULT"), 1.0f);  // all three stored
}

TEST_F(UiTest, TheSwitchStopsAndStartsTheMicrophoneAndRemembers)
{
    // SDL's disk driver stands in for a microphone.
    const std::string recording = freshDir("mic") + "/hum.raw";
    writeFile(recording, std::string(16000, '\x10'));
    setenv("SDL_AUDIODRIVER", "disk", 1);
    setenv("SDL_DISKAUDIOFILEIN", recording.c_str(), 1);
    setAudioQueueOpener(openSdlAudioInput);
    startAudioInMeter(0);
    ASSERT_EQ(audioInMeterIsRunning(), 1);

    InfoView* overlay = openOverlay();
    tapButton("Settings");
    Switch* mic = findKind<Switch>();
    ASSERT_NE(mic, nullptr);
    EXPECT_TRUE(mic->isOn());
    const Point p = overlay->convertToScreen({228, 156});
    finger.tap(p);
    EXPECT_FALSE(mic->isOn());
    EXPECT_EQ(audioInMeterIsRunning(), 0);
    EXPECT_TRUE(Prefs(Prefs::defaultPath()).boolForKey("DISABLE_MIC"));
    finger.tap(p);
    EXPECT_EQ(audioInMeterIsRunning(), 1);
    EXPECT_FALSE(Prefs(Prefs::defaultPath()).boolForKey("DISABLE_MIC"));

    // The sensitivity slider sets and stores it at once.
    Slider* sensitivity = sliders(*overlay)[0];
    EXPECT_FLOAT_EQ(sensitivity->value(), getMicSensitivity());
    const Rect f = sensitivity->frame();
    finger.slide({f.x + f.width / 2, f.y + 3}, {f.x + f.width + 50, f.y + 3});
    EXPECT_EQ(g_minDyn, 0.02f);
    EXPECT_EQ(storedFloat("MIN_DYN"), 0.02f);
    stopAudioInMeter(0);
}

TEST_F(UiTest, AFingerOnThePageStillGrabsTheFigure)
{
    frames(300);
    openOverlay();
    int hx, hy;
    toPixel(guy->posX[0], guy->posY[0], hx, hy);  // 320 x 480 pixels: one per point
    finger.down(static_cast<float>(hx), static_cast<float>(hy));
    EXPECT_EQ(guy->grabCount, 1);
    frames(1);
    EXPECT_EQ(guy->posX[0], guy->grabX[0]);  // held
    const float grabbedAt = guy->grabX[0];
    finger.move(static_cast<float>(hx + 30), static_cast<float>(hy));
    EXPECT_GT(guy->grabX[0], grabbedAt);  // moves pass through the page too
    finger.up();
    EXPECT_EQ(guy->grabCount, 0);
}

}  // namespace
}  // namespace zorbel::test
