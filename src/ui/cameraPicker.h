// The camera screen: a live, mirrored preview of the webcam filling the
// screen, a shutter and "Cancel". It lies over the face picker as the album
// does and hands the picture, as the preview shows it, to its delegate.
#pragma once

#include "platform/camera/camera.h"
#include "platform/imaging/image.h"
#include "platform/kit/kit.h"

#include <functional>
#include <memory>
#include <string>

namespace zorbel {

class CameraPicker : public ViewController {
public:
    static std::shared_ptr<CameraPicker> create();
    ~CameraPicker() override;

    // Builds the screen and opens the camera.
    void loadView() override;

    // The picture taken: upright, mirrored as the preview showed it.
    std::function<void(const RGBAImage& photo)> didFinishPicking;
    std::function<void()> didCancel;

    void shutterAction();
    void cancelAction();
    // Stops the camera at once (its light goes off).
    void closeCamera() { camera_.close(); }

    // The newest picture to the preview, or the camera's failure to the
    // screen. Runs on the main thread whenever the camera says it has news.
    void cameraChanged();

    // The message shown instead of the preview; empty while it runs.
    const std::string& message() const;

    // A tap anywhere goes back once the camera has failed.
    void touchesEnded(const std::vector<Touch>& touches) override;

private:
    CameraPicker() = default;
    void showMessage(const char* text);

    Camera camera_;
    std::shared_ptr<VideoView> preview_;
    std::shared_ptr<Button> butShutter_;
    std::shared_ptr<Button> butCancel_;
    std::shared_ptr<Label> lblMessage_;
    std::shared_ptr<Label> lblHint_;
};

}  // namespace zorbel
