#include "ui/cropView.h"

#include "platform/imaging/image.h"
#include "platform/log/log.h"
#include "view/EAGLView.h"
#include "view/faceTexture.h"

namespace zorbel {

cropView::cropView(Rect frame) : View(frame)
{
    setBackgroundColor(Color::clear());
}

std::shared_ptr<cropView> cropView::initWithFrame(Rect frame)
{
    std::shared_ptr<cropView> view(new cropView(frame));
    view->build();
    return view;
}

void cropView::build()
{
    viewPage = std::make_shared<View>(Rect{32, 278, 256, 162});
    viewPage->setBackgroundColor(Color::lightGray());
    addSubview(viewPage);

    lblInstructions = std::make_shared<Label>(Rect{15, 10, 226, 134});
    lblInstructions->setFont(Font::italicSystem(16));
    lblInstructions->setTextColor(Color::black());
    lblInstructions->setNumberOfLines(0);
    lblInstructions->setText("Use two fingers to move, rotate and scale the picture in order to fit the head outline.");
    viewPage->addSubview(lblInstructions);

    butCancel = std::make_shared<Button>(Rect{0, 445, 100, 35});
    butCancel->setTitle("Cancel");
    butCancel->addAction([this] { cancelAction(); });
    addSubview(butCancel);

    butOK = std::make_shared<Button>(Rect{220, 445, 100, 35});
    butOK->setTitle("OK");
    butOK->addAction([this] { okAction(); });
    addSubview(butOK);

    faceMask = imageNamed("facemask25.png");
}

void cropView::setOriginalImage(const RGBAImage* photo)
{
    logLine("Setting image");
    if (photo && photo->width > 0 && photo->height > 0 && renderer_.setPhoto(*photo)) {
        cropSetPhoto(model_, photo->width, photo->height);
        setNeedsDisplay();
    }
    logLine("-> imgW = %d; imgH = %d", model_.imgW, model_.imgH);
}

bool cropView::renderTransformation(RGBAImage& face)
{
    return renderCropFace(renderer_, model_, face);
}

void cropView::drawRect(GraphicsContext& context, Rect)
{
    auto face = std::make_shared<RGBAImage>();
    if (!renderTransformation(*face)) {
        logLine("   -> WARNING: clippedImage is NIL");
        return;
    }
    if (!faceMask)
        logLine("   -> WARNING: faceMask is NIL");
    context.fillRect(viewableRect, Color::white());
    if (faceMask)
        context.drawImageMasked(face, faceMask, viewableRect);
}

std::vector<float> cropView::viewPoints(const std::vector<Touch>& touches) const
{
    std::vector<float> xy;
    for (const Touch& t : touches) {
        const Point p = t.locationInView(this);
        xy.push_back(p.x);
        xy.push_back(p.y);
    }
    return xy;
}

void cropView::touchesBegan(const std::vector<Touch>& touches)
{
    const std::vector<float> xy = viewPoints(touches);
    cropTouchesBegan(model_, xy.data(), static_cast<int>(touches.size()), bounds().height);
}

void cropView::touchesMoved(const std::vector<Touch>& touches)
{
    if (touches.empty())
        return;
    const Point p = touches.front().locationInView(this);  // one touch per move event
    if (cropTouchMoved(model_, p.x, p.y, bounds().height))
        setNeedsDisplay();
}

void cropView::touchesEnded(const std::vector<Touch>& touches)
{
    const std::vector<float> xy = viewPoints(touches);
    cropTouchesEnded(model_, xy.data(), static_cast<int>(touches.size()), bounds().height);
}

void cropView::okAction()
{
    RGBAImage face;
    if (renderTransformation(face))
        setCurrentFace(&face);
    else
        logLine("   -> WARNING: clippedImage is NIL");
    glAnimationEnable = 1;
    if (View* picker = superview())
        picker->removeFromSuperview();  // the face picker screen and the editor leave together
}

void cropView::cancelAction()
{
    removeFromSuperview();
}

}  // namespace zorbel
