// The info and settings overlay, opened from the info corner of the board:
// a translucent page with the info text, or the microphone and physics
// settings. The scene keeps running beneath it.
#pragma once

#include "platform/kit/kit.h"

#include <memory>

namespace zorbel {

class InfoView : public View {
public:
    // A clear overlay with the page and all controls built, on the info page.
    static std::shared_ptr<InfoView> initWithFrame(Rect frame);

    void showInfo();
    void showSettings();
    int mode() const { return viewMode; }  // 0 info, 1 settings

    // The actions, as the controls fire them.
    void settingsAction();
    void pickFaceAction();
    void switchAction();
    void sliderMicSensitivityAction();
    void sliderCoefFactorAction();
    void sliderDampFactorAction();
    void sliderFricFactorAction();
    void resetPhyAction();
    void dismissAction();
    void clipAction();
    // Escape dismisses.
    bool keyDown(Key key, bool shift) override;

    // Opens the face picker screen over the overlay; set by whoever can make one.
    static std::function<std::shared_ptr<ViewController>()> makeFacePicker;
    // Where the shell records clips from the info page (the browser, which
    // has no menu or keys on a phone): starts a clip, or stops the one that
    // records; and what the item says.
    static std::function<void()> toggleClip;
    static std::function<std::string()> clipItemTitle;

private:
    explicit InfoView(Rect frame);
    void build();

    std::shared_ptr<View> viewPage;
    std::shared_ptr<Label> lblInfo;
    std::shared_ptr<Label> lblVersion;
    std::shared_ptr<Label> lblCopyright;
    std::shared_ptr<Label> lblSettingsTitle;
    std::shared_ptr<Button> butFace;
    std::shared_ptr<Label> lblMicSettingsSubtitle;
    std::shared_ptr<Label> lblMicSwitch;
    std::shared_ptr<Switch> switchMic;
    std::shared_ptr<Label> lblMicSensitivity;
    std::shared_ptr<Slider> sliderMicSensitivity;
    std::shared_ptr<Label> lblPhySettingsSubtitle;
    std::shared_ptr<Label> lblCoefFactor;
    std::shared_ptr<Slider> sliderCoefFactor;
    std::shared_ptr<Label> lblDampFactor;
    std::shared_ptr<Slider> sliderDampFactor;
    std::shared_ptr<Label> lblFricFactor;
    std::shared_ptr<Slider> sliderFricFactor;
    std::shared_ptr<Button> butPhyReset;
    std::shared_ptr<Button> butDismiss;
    std::shared_ptr<Button> butSettings;
    std::shared_ptr<Button> butClip;  // only where the shell records from here
    int viewMode = 0;
};

}  // namespace zorbel
