#include "ui/facePickerController.h"

#include "platform/camera/camera.h"
#include "platform/files/files.h"
#include "platform/imaging/image.h"
#include "platform/log/log.h"
#include "platform/photos/photos.h"
#include "ui/albumPicker.h"
#include "ui/cameraPicker.h"
#include "ui/cropView.h"
#include "ui/notice.h"
#include "ui/screenRootView.h"
#include "ui/wording.h"
#include "view/EAGLView.h"
#include "view/faceTexture.h"

namespace zorbel {

std::string facePickerController::albumFolder;

namespace {

std::weak_ptr<facePickerController> active;

std::shared_ptr<Label> label(Rect frame, const char* text, Font font)
{
    auto l = std::make_shared<Label>(frame);
    l->setText(text);
    l->setFont(font);
    return l;
}

std::shared_ptr<Button> button(Rect frame, const char* title, std::function<void()> action)
{
    auto b = std::make_shared<Button>(frame);
    b->setTitle(title);
    b->setFont(Font::system(14));
    b->addAction(std::move(action));
    return b;
}

View* topOfTree(View* v)
{
    while (v->superview())
        v = v->superview();
    return v;
}

}  // namespace

std::shared_ptr<facePickerController> facePickerController::create()
{
    std::shared_ptr<facePickerController> c(new facePickerController());
    active = c;
    return c;
}

facePickerController::~facePickerController() = default;

std::shared_ptr<facePickerController> activeFacePicker()
{
    auto c = active.lock();
    return c && c->isViewLoaded() && c->view()->superview() ? c : nullptr;
}

void facePickerController::loadView()
{
    auto root = std::make_shared<ScreenRootView>(shared_from_this(), [this] { dismissAction(); });
    setView(root);

    if (Image board = imageNamed("bb480x320.png"))
        ivBackground = std::make_shared<ImageView>(board);
    else
        ivBackground = std::make_shared<View>(kScreenBounds);
    viewPage = std::make_shared<View>(Rect{30, 20, 260, 420});
    viewPage->setBackgroundColor(Color::white());
    viewPage->setAlpha(0.65f);
    lblTitle = label({35, 25, 250, 30}, "Zorbel's face...", Font::system(26));
    lblInstructions = label({45, 70, 230, 50}, "... because sometimes you just feel like teasing someone you know.",
                            Font::system(14));
    lblInstructions->setTextColor(Color::darkGray());
    lblInstructions->setNumberOfLines(0);
    lblDefaultFace = label({35, 155, 250, 30}, "Default face", Font::italicSystem(14));
    butDefaultFace = button({45, 195, 230, 35}, "Reset to default chalk face", [this] { defaultFaceAction(); });
    lblCustomFace = label({35, 255, 250, 30}, "Create a custom face", Font::italicSystem(14));
    butPickPhoto = button({45, 295, 230, 35}, "Use a photo in your album", [this] { pickPhotoAction(); });
    butTakePhoto = button({45, 350, 230, 35}, "Take a picture with your camera", [this] { takePhotoAction(); });
    lblWarning = label({45, 380, 230, 30}, cameraNote(), Font::system(12));
    lblWarning->setTextAlignment(TextAlignment::Center);
    butDismiss = std::make_shared<Button>(Rect{220, 445, 100, 35});
    butDismiss->setTitle("Dismiss");
    butDismiss->addAction([this] { dismissAction(); });

    for (const std::shared_ptr<View>& v : std::initializer_list<std::shared_ptr<View>>{
             ivBackground, viewPage, lblTitle, lblInstructions, lblDefaultFace, butDefaultFace, lblCustomFace,
             butPickPhoto, butTakePhoto, lblWarning, butDismiss})
        root->addSubview(v);

    glAnimationEnable = 0;
    logLine("facePickerController loadView()");
}

void facePickerController::close()
{
    imagePickerControllerDidCancel();
    view()->removeFromSuperview();
}

void facePickerController::defaultFaceAction()
{
    setCurrentFace(nullptr);
    glAnimationEnable = 1;
    close();
}

void facePickerController::pickPhotoAction()
{
    pickPhoto(0);
}

void facePickerController::takePhotoAction()
{
    pickPhoto(1);
}

void facePickerController::dismissAction()
{
    glAnimationEnable = 1;
    close();
}

bool facePickerController::pickPhoto(unsigned sourceType)
{
    if (sourceType == 1) {
        if (!cameraAvailable())
            return false;
        auto camera = CameraPicker::create();
        camera->didFinishPicking = [this](const RGBAImage& photo) {
            imagePickerControllerDidFinishPickingImage(photo);
        };
        camera->didCancel = [this] { imagePickerControllerDidCancel(); };
        topOfTree(view().get())->addSubview(camera->view());  // over everything
        camera_ = camera;
        return true;
    }
    if (sourceType != 0)
        return false;
    if (systemPhotoPickerExists()) {
        // The browser's picker; its answer comes later, when this screen may be gone.
        std::weak_ptr<ViewController> weak = weak_from_this();
        pickSystemPhoto(kMaxPhotoSide, [weak](RGBAImage* photo, const std::string& message) {
            std::shared_ptr<RGBAImage> picked = photo ? std::make_shared<RGBAImage>(std::move(*photo)) : nullptr;
            runOnMainThread([weak, picked, message] {
                auto self = std::static_pointer_cast<facePickerController>(weak.lock());
                if (!self || !self->isViewLoaded() || !self->view()->superview())
                    return;
                if (picked)
                    self->imagePickerControllerDidFinishPickingImage(*picked);
                else
                    showNotice(message);
            });
        });
        return true;
    }
    auto album = AlbumPicker::create(albumFolder.empty() ? picturesDir() : albumFolder);
    album->didFinishPicking = [this](const RGBAImage& photo) { imagePickerControllerDidFinishPickingImage(photo); };
    album->didCancel = [this] { imagePickerControllerDidCancel(); };
    topOfTree(view().get())->addSubview(album);  // over everything
    album_ = album;
    return true;
}

void facePickerController::imagePickerControllerDidFinishPickingImage(const RGBAImage& image)
{
    auto crop = cropView::initWithFrame(view()->frame());
    crop->setMultipleTouchEnabled(true);
    crop->setOriginalImage(&image);
    view()->addSubview(crop);
    imagePickerControllerDidCancel();  // the picker goes
}

void facePickerController::imagePickerControllerDidCancel()
{
    if (auto album = album_.lock())
        album->removeFromSuperview();
    album_.reset();
    if (auto camera = camera_.lock())
        camera->view()->removeFromSuperview();
    camera_.reset();
}

bool facePickerController::photoDropped(const std::string& path)
{
    if (auto album = album_.lock()) {
        album->pick(path);
        return true;
    }
    imagePickerControllerDidCancel();  // a camera screen makes way
    RGBAImage photo;
    if (!loadPhoto(path, photo)) {
        logLine("This photo cannot be read: %s", path.c_str());
        return false;
    }
    imagePickerControllerDidFinishPickingImage(photo);
    return true;
}

}  // namespace zorbel
