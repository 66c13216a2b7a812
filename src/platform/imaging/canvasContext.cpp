// The drawing interface over the browser's Canvas 2D: a context on a page's
// canvas or on a canvas of its own (a bitmap), pictures kept as canvases,
// and text laid out here with the canvas's measurements, as the desktop lays
// it out with pango: wrapped at word boundaries, cut to a number of lines
// with an ellipsis, shrunk to fit when asked, vertically centred.
//
// The JavaScript side keeps a table of canvases; each context and picture
// holds its index there.
#include "platform/imaging/canvasContext.h"

#include "platform/log/log.h"

#include <algorithm>
#include <cmath>
#include <vector>

namespace zorbel {

namespace {

// --- the canvases, on the JavaScript side (canvasContext.js) ---

extern "C" {
int zcBitmap(int w, int h);
int zcPageCanvas(const char* selector);
void zcRelease(int h);
void zcState(int h, int op);
void zcPath(int h, int op, double a, double b, double c, double d, double e);
void zcPaint(int h, int gradient, float r, float g, float b, float a, float r2, float g2, float b2, float a2, float y0,
             float y1, float width, int round, int keep);
void zcBeginLayer(int h);
void zcEndLayer(int h, float alpha);
int zcPictureSet(int p, const uint8_t* rgba, int w, int h);
void zcDrawPicture(int h, int p, double a, double b, double c, double d, double e, double f, int smooth);
void zcDrawMasked(int h, int p, int mask, double x, double y, double w, double ht);
void zcFont(int h, float size, int bold, int italic);
double zcMeasure(int h, const char* text);
double zcLineHeight(int h);
void zcText(int h, const char* text, double x, double y, float r, float g, float b, float a);
void zcRead(int h, int x, int y, int w, int ht, uint8_t* out);
}

enum State { kSave, kRestore, kBeginPath, kClip, kClear };
enum PathOp { kTranslate, kScale, kMoveTo, kLineTo, kArc, kRect, kRoundedRect };

// --- pictures ---

class CanvasPicture final : public Picture {
public:
    CanvasPicture(int handle, int width, int height) : Picture(width, height), handle(handle) {}
    ~CanvasPicture() override { zcRelease(handle); }
    const int handle;
};

int pictureHandle(const Picture& picture)
{
    return static_cast<const CanvasPicture&>(picture).handle;
}

// Straight alpha from premultiplied, as the canvas takes pixels.
void straighten(const uint8_t* rgba, int width, int height, int stride, bool opaque, std::vector<uint8_t>& out)
{
    out.resize(static_cast<size_t>(width) * height * 4);
    for (int y = 0; y < height; ++y) {
        const uint8_t* src = rgba + static_cast<size_t>(y) * stride;
        uint8_t* dst = out.data() + static_cast<size_t>(y) * width * 4;
        for (int x = 0; x < width; ++x, src += 4, dst += 4) {
            const int a = opaque ? 255 : src[3];
            for (int c = 0; c < 3; ++c)
                dst[c] = a == 0 ? 0 : static_cast<uint8_t>(std::min(255, (src[c] * 255 + a / 2) / a));
            dst[3] = static_cast<uint8_t>(a);
        }
    }
}

std::unique_ptr<CanvasPicture> pictureOf(const RGBAImage& image)
{
    std::unique_ptr<Picture> p = Picture::create(image);
    return std::unique_ptr<CanvasPicture>(static_cast<CanvasPicture*>(p.release()));
}

// --- text ---

std::vector<std::string> words(const std::string& text)
{
    std::vector<std::string> out;
    std::string word;
    for (char ch : text) {
        if (ch == ' ' || ch == '\n') {
            if (!word.empty())
                out.push_back(word);
            word.clear();
            if (ch == '\n')
                out.push_back("\n");
        } else {
            word += ch;
        }
    }
    if (!word.empty())
        out.push_back(word);
    return out;
}

// Cuts `line` and adds an ellipsis until it fits `width`.
std::string ellipsized(int h, std::string line, double width)
{
    while (!line.empty() && zcMeasure(h, (line + "\xE2\x80\xA6").c_str()) > width) {
        line.pop_back();
        while (!line.empty() && (static_cast<unsigned char>(line.back()) & 0xC0) == 0x80)
            line.pop_back();  // a whole UTF-8 character
    }
    return line + "\xE2\x80\xA6";
}

}  // namespace

CanvasContext::CanvasContext(int handle) : handle_(handle) {}

CanvasContext::~CanvasContext() = default;

std::unique_ptr<CanvasContext> CanvasContext::forPageCanvas(const char* selector)
{
    const int handle = zcPageCanvas(selector);
    if (!handle) {
        logLine("imaging: no 2D canvas %s on the page", selector);
        return nullptr;
    }
    return std::unique_ptr<CanvasContext>(new CanvasContext(handle));
}

void CanvasContext::save()
{
    zcState(handle_, kSave);
}

void CanvasContext::restore()
{
    zcState(handle_, kRestore);
}

void CanvasContext::translate(double dx, double dy)
{
    zcPath(handle_, kTranslate, dx, dy, 0, 0, 0);
}

void CanvasContext::scale(double sx, double sy)
{
    zcPath(handle_, kScale, sx, sy, 0, 0, 0);
}

void CanvasContext::beginPath()
{
    zcState(handle_, kBeginPath);
}

void CanvasContext::moveTo(float x, float y)
{
    zcPath(handle_, kMoveTo, x, y, 0, 0, 0);
}

void CanvasContext::lineTo(float x, float y)
{
    zcPath(handle_, kLineTo, x, y, 0, 0, 0);
}

void CanvasContext::arc(float cx, float cy, float radius, double a0, double a1)
{
    zcPath(handle_, kArc, cx, cy, radius, a0, a1);
}

void CanvasContext::rect(Rect r)
{
    zcPath(handle_, kRect, r.x, r.y, r.width, r.height, 0);
}

void CanvasContext::roundedRect(Rect r, float radius)
{
    const double k = std::max(0.0f, std::min({radius, r.width / 2, r.height / 2}));
    zcPath(handle_, kRoundedRect, r.x, r.y, r.width, r.height, k);
}

void CanvasContext::fill(const Paint& p, bool keepPath)
{
    zcPaint(handle_, p.gradient, p.color.r, p.color.g, p.color.b, p.color.a, p.to.r, p.to.g, p.to.b, p.to.a, p.y0, p.y1,
            -1, 0, keepPath);
}

void CanvasContext::stroke(const Paint& p, float width, LineCap cap, LineJoin join, bool keepPath)
{
    zcPaint(handle_, p.gradient, p.color.r, p.color.g, p.color.b, p.color.a, p.to.r, p.to.g, p.to.b, p.to.a, p.y0, p.y1,
            width, cap == LineCap::Round || join == LineJoin::Round, keepPath);
}

void CanvasContext::clip()
{
    zcState(handle_, kClip);
}

void CanvasContext::beginLayer()
{
    zcBeginLayer(handle_);
}

void CanvasContext::endLayer(float alpha)
{
    zcEndLayer(handle_, alpha);
}

void CanvasContext::clear()
{
    zcState(handle_, kClear);
}

void CanvasContext::drawImage(const Image& image, Rect r)
{
    if (!image || r.width <= 0 || r.height <= 0)
        return;
    if (std::unique_ptr<CanvasPicture> p = pictureOf(*image))
        paintPicture(*p, r);
}

void CanvasContext::drawImageMasked(const Image& image, const Image& mask, Rect r)
{
    if (!mask) {
        drawImage(image, r);
        return;
    }
    if (!image || r.width <= 0 || r.height <= 0)
        return;
    // The mask's coverage as alpha: dark shows, white hides.
    RGBAImage coverage;
    coverage.width = mask->width;
    coverage.height = mask->height;
    coverage.pixels.assign(mask->pixels.size(), 0);
    for (size_t i = 0; i + 3 < mask->pixels.size(); i += 4) {
        const int grey = (mask->pixels[i] + mask->pixels[i + 1] + mask->pixels[i + 2]) / 3;
        coverage.pixels[i + 3] = static_cast<uint8_t>(mask->pixels[i + 3] > grey ? mask->pixels[i + 3] - grey : 0);
    }
    std::unique_ptr<CanvasPicture> picture = pictureOf(*image);
    std::unique_ptr<CanvasPicture> alpha = pictureOf(coverage);
    if (picture && alpha)
        zcDrawMasked(handle_, picture->handle, alpha->handle, r.x, r.y, r.width, r.height);
}

void CanvasContext::paintPicture(const Picture& picture, Rect r)
{
    if (r.width <= 0 || r.height <= 0)
        return;
    zcDrawPicture(handle_, pictureHandle(picture), r.width / picture.width(), 0, 0, r.height / picture.height(), r.x,
                  r.y, 1);
}

bool CanvasContext::paintPictureMapped(const Picture& picture, const Affine& m, Point)
{
    const double det = m.xx * m.yy - m.xy * m.yx;
    if (!std::isfinite(m.xx) || !std::isfinite(m.yx) || !std::isfinite(m.xy) || !std::isfinite(m.yy) ||
        !std::isfinite(m.x0) || !std::isfinite(m.y0) || !std::isfinite(det) || det == 0)
        return false;
    zcDrawPicture(handle_, pictureHandle(picture), m.xx, m.yx, m.xy, m.yy, m.x0, m.y0, 0);
    return true;
}

float CanvasContext::textWidth(const std::string& text, const TextStyle& style)
{
    zcFont(handle_, style.font.size, style.bold, style.font.italic);
    return static_cast<float>(zcMeasure(handle_, text.c_str()));
}

void CanvasContext::drawText(const std::string& text, const TextStyle& style, Rect r)
{
    if (text.empty() || r.width <= 0 || r.height <= 0)
        return;
    float size = style.font.size;
    zcFont(handle_, size, style.bold, style.font.italic);
    if (style.minimumSize > 0 && style.lines == 1) {
        // A line too wide for its frame is set smaller, down to the minimum.
        for (int tries = 0; tries < 4 && size > style.minimumSize; ++tries) {
            const double width = zcMeasure(handle_, text.c_str());
            if (width <= r.width)
                break;
            size = std::max<float>(style.minimumSize, static_cast<float>(0.98 * size * r.width / width));
            zcFont(handle_, size, style.bold, style.font.italic);
        }
    }
    const double lineHeight = zcLineHeight(handle_);
    const int most = style.lines > 0 ? style.lines : std::max(1, static_cast<int>(r.height / lineHeight));

    // Lines of whole words (a word wider than the line stands alone).
    std::vector<std::string> lines;
    std::string line;
    bool cut = false;
    for (const std::string& word : words(text)) {
        if (word == "\n") {
            lines.push_back(line);
            line.clear();
        } else if (line.empty()) {
            line = word;
        } else if (zcMeasure(handle_, (line + " " + word).c_str()) <= r.width) {
            line += " " + word;
        } else {
            lines.push_back(line);
            line = word;
        }
        if (static_cast<int>(lines.size()) >= most) {
            cut = true;
            break;
        }
    }
    if (!cut && !line.empty())
        lines.push_back(line);
    if (static_cast<int>(lines.size()) > most) {
        lines.resize(most);
        cut = true;
    }
    if (cut || (!lines.empty() && zcMeasure(handle_, lines.back().c_str()) > r.width))
        lines.back() = ellipsized(handle_, lines.back(), r.width);

    const double top = r.y + (r.height - lineHeight * lines.size()) / 2;
    for (size_t i = 0; i < lines.size(); ++i) {
        const double width = zcMeasure(handle_, lines[i].c_str());
        double x = r.x;
        if (style.alignment == TextAlignment::Center)
            x += (r.width - width) / 2;
        else if (style.alignment == TextAlignment::Right)
            x += r.width - width;
        zcText(handle_, lines[i].c_str(), x, top + lineHeight * i, style.color.r, style.color.g, style.color.b,
               style.color.a);
    }
}

namespace {

class CanvasBitmap final : public BitmapContext {
public:
    CanvasBitmap(int handle, int width, int height) : context_(handle), width_(width), height_(height) {}
    ~CanvasBitmap() override { zcRelease(context_.handle()); }
    GraphicsContext& context() override { return context_; }
    int width() const override { return width_; }
    int height() const override { return height_; }
    void readPixels(int x, int y, int w, int h, RGBAImage& out) override
    {
        out.width = w;
        out.height = h;
        out.pixels.assign(static_cast<size_t>(w) * h * 4, 0);
        if (w <= 0 || h <= 0)
            return;
        zcRead(context_.handle(), x, y, w, h, out.pixels.data());
        for (size_t i = 0; i < out.pixels.size(); i += 4) {
            const int a = out.pixels[i + 3];
            for (int c = 0; c < 3; ++c) {
                const int t = a * out.pixels[i + c] + 0x80;
                out.pixels[i + c] = static_cast<uint8_t>((t + (t >> 8)) >> 8);
            }
        }
    }

private:
    CanvasContext context_;
    int width_, height_;
};

}  // namespace

std::unique_ptr<BitmapContext> BitmapContext::create(int width, int height)
{
    if (width <= 0 || height <= 0 || width > 16384 || height > 16384) {
        logLine("imaging: cannot make a %d x %d picture", width, height);
        return nullptr;
    }
    const int handle = zcBitmap(width, height);
    if (!handle) {
        logLine("imaging: no canvas for a %d x %d picture here", width, height);
        return nullptr;
    }
    return std::unique_ptr<BitmapContext>(new CanvasBitmap(handle, width, height));
}

bool Picture::update(std::unique_ptr<Picture>& picture, const uint8_t* rgba, int width, int height, int stride,
                     bool opaque)
{
    if (!rgba || width <= 0 || height <= 0 || width > 16384 || height > 16384 || stride < width * 4) {
        logLine("imaging: ignoring a %d x %d picture", width, height);
        picture.reset();
        return false;
    }
    static std::vector<uint8_t> straight;  // reused: a camera sends one picture after another
    straighten(rgba, width, height, stride, opaque, straight);
    const int old = picture && picture->width() == width && picture->height() == height ? pictureHandle(*picture) : 0;
    const int handle = zcPictureSet(old, straight.data(), width, height);
    if (!handle) {
        logLine("imaging: no canvas for a %d x %d picture here", width, height);
        picture.reset();
        return false;
    }
    if (handle != old)
        picture.reset(new CanvasPicture(handle, width, height));
    return true;
}

}  // namespace zorbel
