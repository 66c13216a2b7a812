// The info and settings overlay over the running scene.
#include "uiFixture.h"

#include "audio/audioInMeter.h"
#include "audio/audioInput.h"
#include "platform/audio/sdlAudioInput.h"
#include "platform/imaging/image.h"
#include "platform/prefs/prefs.h"
#include "testHome.h"

#include <fstream>

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

int countOf(View& parent, View* child)
{
    int n = 0;
    for (const auto& v : parent.subviews())
        n += v.get() == child ? 1 : 0;
    return n;
}

float storedFloat(const char* key)
{
    return Prefs(Prefs::defaultPath()).floatForKey(key);
}

TEST_F(UiTest, OpensOnTheInfoPageAndTogglesPagesWithoutDuplicates)
{
    const float angle = view->infoIconAngle();
    InfoView* overlay = openOverlay();
    ASSERT_NE(overlay, nullptr);
    EXPECT_EQ(overlay->superview(), view.get());
    EXPECT_NE(view->infoIconAngle(), angle);  // the icon flipped
    EXPECT_EQ(overlay->mode(), 0);
    ASSERT_NE(button("Settings"), nullptr);
    const size_t infoPage = overlay->subviews().size();  // page, two buttons, three labels
    EXPECT_EQ(infoPage, 6u);

    tapButton("Settings");
    EXPECT_EQ(overlay->mode(), 1);
    EXPECT_NE(button("Info"), nullptr);
    EXPECT_EQ(overlay->subviews().size(), 18u);  // page, two buttons, fifteen settings controls
    EXPECT_EQ(sliders(*overlay).size(), 4u);

    tapButton("Info");
    EXPECT_EQ(overlay->mode(), 0);
    EXPECT_EQ(overlay->subviews().size(), infoPage);
    for (const auto& v : overlay->subviews())
        EXPECT_EQ(countOf(*overlay, v.get()), 1);
}

TEST_F(UiTest, SlidersActAtOnceAndAreStoredOnlyOnDismiss)
{
    InfoView* overlay = openOverlay();
    tapButton("Settings");
    auto s = sliders(*overlay);
    ASSERT_EQ(s.size(), 4u);
    Slider* friction = s[3];
    EXPECT_EQ(friction->minimumValue(), 0.1f);
    EXPECT_EQ(friction->maximumValue(), 1.9f);
    EXPECT_EQ(friction->value(), 1.0f);
    const Point left = overlay->convertToScreen({45, 373.5f});
    drag(left.x + 110, left.y, left.x + 400, left.y);  // past the right end
    EXPECT_EQ(friction->value(), 1.9f);
    EXPECT_EQ(g_stickynessMultiplier, 1.9f);
    EXPECT_EQ(storedFloat("STICKY_MULT"), 0.0f);  // not stored yet

    std::weak_ptr<View> alive = overlay->shared_from_this();
    tapButton("Dismiss");
    EXPECT_TRUE(alive.expired());
    EXPECT_EQ(storedFloat("STICKY_MULT"), 1.9f);
    EXPECT_EQ(storedFloat("SPR_COEFF_MULT"), 1.0f);  // all three stored
}

TEST_F(UiTest, ResetPutsSlidersAndMultipliersBackAtOne)
{
    const float stored = storedFloat("SPR_COEFF_MULT");
    InfoView* overlay = openOverlay();
    tapButton("Settings");
    auto s = sliders(*overlay);
    for (Slider* slider : {s[1], s[2], s[3]}) {
        const Rect f = slider->frame();
        drag(f.x + f.width / 2, f.y + 3, f.x, f.y + 3);  // to the left end
    }
    EXPECT_EQ(g_springCoefMultipler, 0.4f);
    EXPECT_EQ(g_springDampersMultipler, 0.7f);
    tapButton("Reset physics");
    EXPECT_EQ(g_springCoefMultipler, 1.0f);
    EXPECT_EQ(g_springDampersMultipler, 1.0f);
    EXPECT_EQ(g_stickynessMultiplier, 1.0f);
    for (Slider* slider : {s[1], s[2], s[3]})
        EXPECT_EQ(slider->value(), 1.0f);
    EXPECT_EQ(storedFloat("SPR_COEFF_MULT"), stored);  // nothing stored until Dismiss
}

TEST_F(UiTest, TheSwitchStopsAndStartsTheMicrophoneAndRemembers)
{
    // SDL's disk driver stands in for a microphone.
    const std::string recording = freshDir("mic") + "/hum.raw";
    std::ofstream(recording, std::ios::binary) << std::string(16000, '\x10');
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
    tap(p.x, p.y);
    EXPECT_FALSE(mic->isOn());
    EXPECT_EQ(audioInMeterIsRunning(), 0);
    EXPECT_TRUE(Prefs(Prefs::defaultPath()).boolForKey("DISABLE_MIC"));
    tap(p.x, p.y);
    EXPECT_EQ(audioInMeterIsRunning(), 1);
    EXPECT_FALSE(Prefs(Prefs::defaultPath()).boolForKey("DISABLE_MIC"));

    // The sensitivity slider sets and stores it at once.
    Slider* sensitivity = sliders(*overlay)[0];
    EXPECT_FLOAT_EQ(sensitivity->value(), getMicSensitivity());
    const Rect f = sensitivity->frame();
    drag(f.x + f.width / 2, f.y + 3, f.x + f.width + 50, f.y + 3);
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
    touch(TouchPhase::Began, static_cast<float>(hx), static_cast<float>(hy));
    EXPECT_EQ(guy->grabCount, 1);
    frames(1);
    EXPECT_EQ(guy->posX[0], guy->grabX[0]);  // held
    touch(TouchPhase::Ended, static_cast<float>(hx), static_cast<float>(hy));
    EXPECT_EQ(guy->grabCount, 0);
}

TEST_F(UiTest, EscapeClosesTheOverlayAsDismissDoes)
{
    openOverlay();
    g_springDampersMultipler = 1.5f;
    EXPECT_TRUE(screen.dispatchKey(Key::Escape, false));
    EXPECT_EQ(findKind<InfoView>(), nullptr);
    EXPECT_EQ(storedFloat("SPR_DAMP_MULT"), 1.5f);
    EXPECT_FALSE(screen.dispatchKey(Key::Escape, false));  // only the scene is left
}

// Premultiplied pixels of the views over the scene.
struct UiPicture {
    RGBAImage image;
    const uint8_t* at(int x, int y) const { return &image.pixels[(static_cast<size_t>(y) * image.width + x) * 4]; }
    // Pixels inside r (points, 2x picture) drawn darker than the page: text.
    int inkIn(Rect r) const
    {
        int n = 0;
        for (int y = static_cast<int>(r.y * 2); y < static_cast<int>((r.y + r.height) * 2); ++y)
            for (int x = static_cast<int>(r.x * 2); x < static_cast<int>((r.x + r.width) * 2); ++x)
                n += at(x, y)[3] > 200 && at(x, y)[0] < 100 ? 1 : 0;
        return n;
    }
};

TEST_F(UiTest, BothPagesRenderTheTranslucentPageAndTheirTexts)
{
    openOverlay();
    UiPicture pic;
    screen.render(640, 960, pic.image);
    ASSERT_EQ(pic.image.width, 640);
    // The page: white at opacity 0.65, premultiplied; clear around it.
    const uint8_t* page = pic.at(2 * 35, 2 * 25);
    EXPECT_NEAR(page[3], 166, 3);
    EXPECT_NEAR(page[0], 166, 3);
    EXPECT_EQ(pic.at(2 * 20, 2 * 200)[3], 0);
    EXPECT_EQ(pic.at(2 * 295, 2 * 200)[3], 0);
    EXPECT_GT(pic.inkIn({40, 30, 240, 400}), 2000);  // the info text
    EXPECT_GT(pic.inkIn({40, 420, 100, 20}), 20);    // the version

    tapButton("Settings");
    screen.render(640, 960, pic.image);
    for (Rect r : {Rect {35, 25, 250, 30}, Rect {35, 110, 250, 30}, Rect {45, 250, 230, 20}, Rect {45, 350, 230, 20}})
        EXPECT_GT(pic.inkIn(r), 40) << r.x << ", " << r.y;
}

}  // namespace
}  // namespace zorbel::test
