#include "ui/desktopMenu.h"

#include "audio/audioInMeter.h"
#include "platform/kit/kit.h"
#include "ui/InfoView.h"
#include "ui/facePickerController.h"
#include "ui/notice.h"
#include "view/EAGLView.h"

namespace zorbel {

const char kNoSoundServerNotice[] =
    "This computer's sound cannot be heard: no sound server is running. Start PulseAudio or PipeWire to make him "
    "dance to it.";

namespace {

// The overlay on its settings page: the one that is open, or a new one.
void openSettings(const std::shared_ptr<EAGLView>& view)
{
    InfoView* overlay = nullptr;
    for (const auto& v : view->subviews())
        overlay = overlay ? overlay : dynamic_cast<InfoView*>(v.get());
    if (!overlay) {
        auto fresh = InfoView::initWithFrame(view->frame());
        view->addSubview(fresh);
        overlay = fresh.get();
    }
    if (overlay->mode() == 0)
        overlay->settingsAction();
}

ActionSheet::Item listenItem(const char* title, AudioSource source, const char* notice)
{
    const bool listening = !listeningSwitchedOff();
    return {title,
            [source, notice] {
                if (!listenToAudioSource(source))
                    showNotice(notice);
            },
            listening && getAudioSource() == source};
}

}  // namespace

void toggleDesktopMenu(Screen& screen, const std::shared_ptr<EAGLView>& view, DesktopMenuActions actions)
{
    EventScope scope;
    const auto& top = screen.root().subviews();
    if (auto* open = top.empty() ? nullptr : dynamic_cast<ActionSheet*>(top.back().get())) {
        open->cancel();
        return;
    }
    if (activeFacePicker())
        return;
    std::weak_ptr<EAGLView> weak = view;
    std::vector<ActionSheet::Item> items;
    items.push_back(listenItem("Listen to the microphone", AudioSource::Microphone,
                               "No microphone can be opened. Connect one, then choose it again in this menu."));
    items.push_back(listenItem("Listen to this computer's sound", AudioSource::Computer, kNoSoundServerNotice));
    items.push_back({actions.fullscreen ? "Leave full screen" : "Full screen", actions.toggleFullscreen});
    items.push_back({"Save a screenshot", actions.saveScreenshot});
    items.push_back({actions.recordTitle.c_str(), actions.toggleRecording});
    items.push_back({"Settings", [weak] {
                         if (auto v = weak.lock())
                             openSettings(v);
                     }});
    items.push_back({"Quit", actions.quit, false, true});
    screen.root().addSubview(ActionSheet::create(std::move(items), "Cancel"));
}

}  // namespace zorbel
