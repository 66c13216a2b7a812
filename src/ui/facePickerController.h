// The face screen: go back to the chalk face, or make a face from a photo.
// It pauses the scene while it is up.
#pragma once

#include "platform/kit/kit.h"

#include <memory>
#include <string>

namespace zorbel {

struct RGBAImage;
class AlbumPicker;
class CameraPicker;

class facePickerController : public ViewController {
public:
    static std::shared_ptr<facePickerController> create();
    ~facePickerController() override;

    void loadView() override;

    void defaultFaceAction();
    void pickPhotoAction();
    void takePhotoAction();
    void dismissAction();
    // Shows the photo source: 0 the album, 1 the camera. False when it is
    // not available (no camera is connected): nothing happens.
    bool pickPhoto(unsigned sourceType);
    void imagePickerControllerDidFinishPickingImage(const RGBAImage& image);
    void imagePickerControllerDidCancel();
    bool shouldAutorotateToInterfaceOrientation(int orientation) const { return orientation == 1; }

    // A file dropped on the window: picked from the album if it is open,
    // else the crop editor opens on it. False when it cannot be read.
    bool photoDropped(const std::string& path);

    // The Pictures folder the album shows.
    static std::string albumFolder;

private:
    facePickerController() = default;
    void close();

    std::shared_ptr<View> ivBackground, viewPage;
    std::shared_ptr<Label> lblTitle, lblInstructions, lblDefaultFace;
    std::shared_ptr<Button> butDefaultFace;
    std::shared_ptr<Label> lblCustomFace;
    std::shared_ptr<Button> butPickPhoto, butTakePhoto;
    std::shared_ptr<Label> lblWarning;
    std::shared_ptr<Button> butDismiss;
    std::weak_ptr<AlbumPicker> album_;
    std::weak_ptr<CameraPicker> camera_;
};

// The face picker screen that is up, if any (for dropped files).
std::shared_ptr<facePickerController> activeFacePicker();

}  // namespace zorbel
