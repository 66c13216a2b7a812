#include "ui/cropView.h"

#include "ui/wording.h"

#include "platform/imaging/image.h"
#include "platform/log/log.h"
#include "view/EAGLView.h"
#include "view/faceTexture.h"

#include <algorithm>
#include <cmath>

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
    lblInstructions->setText(cropInstructions());
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

namespace {

const float kZoomStep = 1.1f;            // per wheel notch or key press
const float kTurnStep = 0.0872665f;      // 5 degrees, in radians
const float kPanStep = 8.0f;             // points; 32 with Shift
const float kMostNotchesAtOnce = 10.0f;  // a wheel event larger than this counts as this

}  // namespace

bool cropView::scrollWheel(Point at, float steps, bool shift)
{
    const Point p = convertFromScreen(at);
    if (!viewableRect.contains(p))
        return View::scrollWheel(at, steps, shift);
    steps = std::min(std::max(steps, -kMostNotchesAtOnce), kMostNotchesAtOnce);
    // The preview shows the output square upright, y up from its bottom.
    const float x = p.x - viewableRect.x;
    const float y = viewableRect.y + viewableRect.height - p.y;
    if (shift)
        cropZoomAbout(model_, x, y, 1.0f, steps * kTurnStep);
    else
        cropZoomAbout(model_, x, y, std::pow(kZoomStep, steps), 0.0f);
    setNeedsDisplay();
    return true;
}

bool cropView::keyDown(Key key, bool shift)
{
    const float pan = shift ? 4 * kPanStep : kPanStep;
    const float centre = kCropFaceSize * 0.5f;
    switch (key) {
    case Key::Left:
        cropPan(model_, -pan, 0.0f);
        break;
    case Key::Right:
        cropPan(model_, pan, 0.0f);
        break;
    case Key::Up:
        cropPan(model_, 0.0f, pan);
        break;
    case Key::Down:
        cropPan(model_, 0.0f, -pan);
        break;
    case Key::Plus:
        cropZoomAbout(model_, centre, centre, kZoomStep, 0.0f);
        break;
    case Key::Minus:
        cropZoomAbout(model_, centre, centre, 1.0f / kZoomStep, 0.0f);
        break;
    case Key::LeftBracket:
        cropZoomAbout(model_, centre, centre, 1.0f, kTurnStep);
        break;
    case Key::RightBracket:
        cropZoomAbout(model_, centre, centre, 1.0f, -kTurnStep);
        break;
    case Key::Return:
        okAction();
        return true;
    case Key::Escape:
        cancelAction();
        return true;
    default:
        return View::keyDown(key, shift);
    }
    setNeedsDisplay();
    return true;
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
