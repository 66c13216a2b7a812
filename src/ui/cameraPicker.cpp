#include "ui/cameraPicker.h"

#include "platform/photos/photos.h"
#include "ui/screenRootView.h"

#include <algorithm>

namespace zorbel {

namespace {

// The picture flipped left to right, as the mirrored preview shows it: the
// user lined up the face they saw, so that is the face they get.
void mirroredCopy(const CameraFrame& frame, RGBAImage& out)
{
    out.width = frame.width;
    out.height = frame.height;
    out.pixels.resize(static_cast<size_t>(frame.width) * frame.height * 4);
    uint8_t* dst = out.pixels.data();
    for (int y = 0; y < frame.height; ++y) {
        const uint8_t* row = frame.pixels + static_cast<size_t>(y) * frame.stride;
        for (int x = frame.width - 1; x >= 0; --x, dst += 4) {
            std::copy_n(row + x * 4, 3, dst);
            dst[3] = 255;  // a camera picture is opaque
        }
    }
}

std::shared_ptr<Label> whiteLabel(Rect frame, float size)
{
    auto l = std::make_shared<Label>(frame);
    l->setFont(Font::system(size));
    l->setTextColor(Color::white());
    l->setTextAlignment(TextAlignment::Center);
    l->setNumberOfLines(0);
    return l;
}

}  // namespace

std::shared_ptr<CameraPicker> CameraPicker::create()
{
    return std::shared_ptr<CameraPicker>(new CameraPicker());
}

CameraPicker::~CameraPicker() = default;

void CameraPicker::loadView()
{
    // The camera stops the moment the screen leaves.
    auto root = std::make_shared<ScreenRootView>(
        shared_from_this(), [this] { cancelAction(); }, [this] { closeCamera(); });
    setView(root);

    preview_ = std::make_shared<VideoView>(kScreenBounds);
    preview_->setMirrored(true);
    root->addSubview(preview_);
    butCancel_ = std::make_shared<Button>(Rect{0, 445, 100, 35});
    butCancel_->setTitle("Cancel");
    butCancel_->addAction([this] { cancelAction(); });
    root->addSubview(butCancel_);
    butShutter_ = std::make_shared<Button>(Rect{105, 445, 110, 35});  // Cancel's height and font
    butShutter_->setTitle("Take Photo");
    butShutter_->setEnabled(false);  // until the first picture
    butShutter_->addAction([this] { shutterAction(); });
    root->addSubview(butShutter_);
    lblMessage_ = whiteLabel({20, 190, 280, 60}, 18);
    lblHint_ = whiteLabel({20, 250, 280, 30}, 14);
    lblHint_->setTextColor(Color::lightGray());
    lblHint_->setText("Tap to go back");

    // A picture or a failure wakes the main thread, once until it is taken.
    std::weak_ptr<ViewController> weak = weak_from_this();
    const bool opened = camera_.open(kMaxPhotoSide, [weak] {
        runOnMainThread([weak] {
            if (auto self = weak.lock())
                static_cast<CameraPicker&>(*self).cameraChanged();
        });
    });
    if (!opened)
        showMessage("The camera cannot be opened");
}

void CameraPicker::cameraChanged()
{
    if (camera_.takeFrame()) {
        const CameraFrame& f = camera_.frame();
        preview_->setPixels(f.pixels, f.width, f.height, f.stride);
        butShutter_->setEnabled(true);
    }
    if (camera_.state() == Camera::State::CannotOpen)
        showMessage("The camera cannot be opened");
    else if (camera_.state() == Camera::State::Disconnected)
        showMessage("The camera was disconnected");
}

void CameraPicker::showMessage(const char* text)
{
    camera_.close();
    preview_->removeFromSuperview();
    butShutter_->removeFromSuperview();
    lblMessage_->setText(text);
    if (!lblMessage_->superview()) {
        view()->addSubview(lblMessage_);
        view()->addSubview(lblHint_);
    }
}

const std::string& CameraPicker::message() const
{
    static const std::string none;
    return lblMessage_ && lblMessage_->superview() ? lblMessage_->text() : none;
}

void CameraPicker::shutterAction()
{
    const CameraFrame& frame = camera_.frame();
    if (!frame.pixels)
        return;
    RGBAImage photo;
    mirroredCopy(frame, photo);
    camera_.close();
    if (didFinishPicking)
        didFinishPicking(photo);
}

void CameraPicker::cancelAction()
{
    camera_.close();
    if (didCancel)
        didCancel();
}

void CameraPicker::touchesEnded(const std::vector<Touch>&)
{
    if (!message().empty())
        cancelAction();
}

}  // namespace zorbel
