// The crop editor: the user moves, turns and scales a photo with their
// fingers until the face fits the head outline; "OK" makes it the face.
#pragma once

#include "platform/kit/kit.h"
#include "ui/cropFace.h"

#include <memory>

namespace zorbel {

class cropView : public View {
public:
    static std::shared_ptr<cropView> initWithFrame(Rect frame);

    // The picked photo; nullptr is a photo without pixels (nothing to crop).
    void setOriginalImage(const RGBAImage* photo);

    // The 256 x 256 face under the current transform; false without a photo.
    bool renderTransformation(RGBAImage& face);

    void drawRect(GraphicsContext& context, Rect rect) override;
    void touchesBegan(const std::vector<Touch>& touches) override;
    void touchesMoved(const std::vector<Touch>& touches) override;
    void touchesEnded(const std::vector<Touch>& touches) override;
    // The wheel over the preview scales the photo about the pointer; with
    // Shift it turns it. Arrows pan, + and - scale, [ and ] turn, Return is
    // OK and Escape is Cancel.
    bool scrollWheel(Point at, float steps, bool shift) override;
    bool keyDown(Key key, bool shift) override;

    void okAction();
    void cancelAction();

    const CropModel& model() const { return model_; }

private:
    explicit cropView(Rect frame);
    void build();
    std::vector<float> viewPoints(const std::vector<Touch>& touches) const;

    std::shared_ptr<View> viewPage;
    std::shared_ptr<Label> lblInstructions;
    std::shared_ptr<Button> butOK;
    std::shared_ptr<Button> butCancel;
    Rect viewableRect{32, 22, 256, 256};
    Image faceMask;
    CropModel model_;
    CropRenderer renderer_;
};

}  // namespace zorbel
