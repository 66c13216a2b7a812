#include "ui/InfoView.h"

#include "audio/audioInMeter.h"
#include "figure/myGuy.h"
#include "ui/wording.h"

namespace zorbel {

namespace {

const char kCopyright[] = "\xc2\xa9 2026 Zorbel contributors";

std::shared_ptr<Label> label(Rect frame, Font font, const char* text, int lines = 1)
{
    auto l = std::make_shared<Label>(frame);
    l->setFont(font);
    l->setText(text);
    l->setNumberOfLines(lines);
    return l;
}

std::shared_ptr<Button> button(Rect frame, const char* title, std::function<void()> action)
{
    auto b = std::make_shared<Button>(frame);
    b->setTitle(title);
    b->addAction(std::move(action));
    return b;
}

std::shared_ptr<Slider> slider(Rect frame, float min, float max, float value, std::function<void()> action)
{
    auto s = std::make_shared<Slider>(frame);
    s->setMinimumValue(min);
    s->setMaximumValue(max);
    s->setContinuous(true);
    s->setValue(value);
    s->addAction(std::move(action));
    return s;
}

}  // namespace

std::function<std::shared_ptr<ViewController>()> InfoView::makeFacePicker;
std::function<void()> InfoView::toggleClip;
std::function<std::string()> InfoView::clipItemTitle;

InfoView::InfoView(Rect frame) : View(frame)
{
    setBackgroundColor(Color::clear());
}

std::shared_ptr<InfoView> InfoView::initWithFrame(Rect frame)
{
    std::shared_ptr<InfoView> view(new InfoView(frame));
    view->build();
    return view;
}

// The page and every control, built once; the controls of the hidden page
// stay alive out of the tree and keep their values.
void InfoView::build()
{
    const float W = frame().width;
    const float H = frame().height;

    viewPage = std::make_shared<View>(Rect{30, 20, 260, 420});
    viewPage->setBackgroundColor(Color::white());
    viewPage->setAlpha(0.65f);
    addSubview(viewPage);

    lblInfo = label({40, 30, 240, 400}, Font::system(14), infoText(), 0);
    // Our notice is longer than the corner first laid out for it, which ran
    // 10 points past the page: it ends 5 points inside the page's edge.
    lblCopyright = label({185, 420, 100, 20}, Font::system(10), kCopyright);
    lblCopyright->setTextAlignment(TextAlignment::Right);
    lblCopyright->setMinimumFontSize(6);  // the notice fits its corner
    lblVersion = label({40, 420, 100, 20}, Font::system(10), versionText().c_str());
    // The clip item, where the shell records from here: between the
    // version and the copyright notice.
    if (toggleClip) {
        butClip = button({86, 417, 98, 22}, clipItemTitle ? clipItemTitle().c_str() : "Record a clip",
                         [this] { clipAction(); });
        butClip->setFont(Font::system(11));
    }

    lblSettingsTitle = label({35, 25, 250, 30}, Font::system(26), "A few tweaks...");
    butFace = button({45, 70, 230, 30}, "Change Zorbel's face", [this] { pickFaceAction(); });
    butFace->setFont(Font::system(14));
    lblMicSettingsSubtitle = label({35, 110, 250, 30}, Font::italicSystem(14), "Microphone input");
    lblMicSwitch = label({45, 140, 136, 30}, Font::system(12), listeningSwitchText().c_str(), 0);
    switchMic = std::make_shared<Switch>(Rect{181, 143, 94, 27});
    switchMic->addAction([this] { switchAction(); });
    switchMic->setOn(audioInMeterIsRunning() != 0);
    // Each slider's label sits 10 points higher than first laid out: centred
    // in its frame, its words ran into the slider's knob.
    lblMicSensitivity = label({45, 170, 230, 30}, Font::system(12), "Microphone sensitivity");
    sliderMicSensitivity =
        slider({45, 200, 230, 7}, 0, 100, getMicSensitivity(), [this] { sliderMicSensitivityAction(); });
    lblPhySettingsSubtitle = label({35, 226, 250, 30}, Font::italicSystem(14), "Physics");
    lblCoefFactor = label({45, 240, 230, 30}, Font::system(12), "Spring constants");
    sliderCoefFactor = slider({45, 270, 230, 7}, kSpringCoefRange.min, kSpringCoefRange.max, g_springCoefMultipler,
                              [this] { sliderCoefFactorAction(); });
    lblDampFactor = label({45, 290, 230, 30}, Font::system(12), "Spring damping");
    sliderDampFactor = slider({45, 320, 230, 7}, kSpringDamperRange.min, kSpringDamperRange.max,
                              g_springDampersMultipler, [this] { sliderDampFactorAction(); });
    lblFricFactor = label({45, 340, 230, 30}, Font::system(12), "Floor/Wall friction");
    sliderFricFactor = slider({45, 370, 230, 7}, kStickynessRange.min, kStickynessRange.max, g_stickynessMultiplier,
                              [this] { sliderFricFactorAction(); });
    butPhyReset = button({155, 403, 120, 20}, "Reset physics", [this] { resetPhyAction(); });
    butPhyReset->setFont(Font::system(14));

    butSettings = button({0, H - 35, 100, 35}, "Info", [this] { settingsAction(); });
    addSubview(butSettings);
    butDismiss = button({W - 100, H - 35, 100, 35}, "Dismiss", [this] { dismissAction(); });
    addSubview(butDismiss);

    showInfo();
}

void InfoView::showInfo()
{
    addSubview(lblInfo);
    addSubview(lblCopyright);
    addSubview(lblVersion);
    if (butClip)
        addSubview(butClip);
    butSettings->setTitle("Settings");
    viewMode = 0;
}

void InfoView::showSettings()
{
    // The source may have changed, and listening may have started since the
    // overlay was made (in a browser, the touch that opened it starts it
    // only as the finger lifts).
    lblMicSwitch->setText(listeningSwitchText());
    switchMic->setOn(audioInMeterIsRunning() != 0);
    for (const std::shared_ptr<View>& v : std::initializer_list<std::shared_ptr<View>>{
             lblSettingsTitle, butFace, lblMicSettingsSubtitle, switchMic, lblMicSwitch, sliderMicSensitivity,
             lblMicSensitivity, lblPhySettingsSubtitle, lblCoefFactor, sliderCoefFactor, lblDampFactor,
             sliderDampFactor, lblFricFactor, sliderFricFactor, butPhyReset})
        addSubview(v);
    butSettings->setTitle("Info");
    viewMode = 1;
}

void InfoView::settingsAction()
{
    if (viewMode == 1) {
        for (const std::shared_ptr<View>& v : std::initializer_list<std::shared_ptr<View>>{
                 lblSettingsTitle, butFace, lblMicSettingsSubtitle, lblMicSwitch, switchMic, lblMicSensitivity,
                 sliderMicSensitivity, lblPhySettingsSubtitle, lblCoefFactor, sliderCoefFactor, lblDampFactor,
                 sliderDampFactor, lblFricFactor, sliderFricFactor, butPhyReset})
            v->removeFromSuperview();
        showInfo();
    } else {
        lblInfo->removeFromSuperview();
        lblCopyright->removeFromSuperview();
        lblVersion->removeFromSuperview();
        if (butClip)
            butClip->removeFromSuperview();
        showSettings();
    }
}

void InfoView::pickFaceAction()
{
    if (!makeFacePicker)
        return;
    // The overlay keeps no reference: the picker's root view keeps its
    // controller alive while it is shown.
    std::shared_ptr<ViewController> picker = makeFacePicker();
    addSubview(picker->view());
}

void InfoView::switchAction()
{
    if (switchMic->isOn())
        startAudioInMeter(1);
    else
        stopAudioInMeter(1);
}

void InfoView::sliderMicSensitivityAction()
{
    setMicSensitivity(sliderMicSensitivity->value());
}

void InfoView::sliderCoefFactorAction()
{
    g_springCoefMultipler = sliderCoefFactor->value();
}

void InfoView::sliderDampFactorAction()
{
    g_springDampersMultipler = sliderDampFactor->value();
}

void InfoView::sliderFricFactorAction()
{
    g_stickynessMultiplier = sliderFricFactor->value();
}

void InfoView::resetPhyAction()
{
    g_stickynessMultiplier = 1.0f;
    g_springDampersMultipler = 1.0f;
    g_springCoefMultipler = 1.0f;
    sliderCoefFactor->setValue(1.0f);
    sliderDampFactor->setValue(1.0f);
    sliderFricFactor->setValue(1.0f);
}

// The overlay goes, and the clip starts (or stops) on the board.
void InfoView::clipAction()
{
    const std::function<void()> toggle = toggleClip;
    dismissAction();
    if (toggle)
        toggle();
}

void InfoView::dismissAction()
{
    SavePhysicsPrefs();
    removeFromSuperview();  // the tree held the only reference: the overlay goes after this event
}

bool InfoView::keyDown(Key key, bool shift)
{
    if (key != Key::Escape)
        return View::keyDown(key, shift);
    dismissAction();
    return true;
}

}  // namespace zorbel
