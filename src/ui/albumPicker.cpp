#include "ui/albumPicker.h"

#include "ui/notice.h"

#include "platform/log/log.h"
#include "platform/photos/photos.h"

#include <algorithm>
#include <cmath>

namespace zorbel {

namespace {

const float kBarHeight = 44;
const float kCell = 80;        // grid pitch, points
const float kThumb = 76;       // thumbnail box inside a cell
const int kThumbPixels = 152;  // decoded for a 2x screen
const int kColumns = 4;

// Thumbnails are decoded on worker threads and handed to the main thread.
void loadThumbnails(std::vector<std::string> paths, std::shared_ptr<std::atomic<size_t>> next,
                    std::shared_ptr<std::atomic<bool>> stop, std::weak_ptr<View> picker)
{
    for (;;) {
        const size_t i = next->fetch_add(1);
        if (i >= paths.size() || stop->load())
            return;
        auto thumb = std::make_shared<RGBAImage>();
        if (!loadThumbnail(paths[i], kThumbPixels, *thumb))
            thumb.reset();
        runOnMainThread([picker, i, thumb] {
            if (auto view = std::static_pointer_cast<AlbumPicker>(picker.lock()))
                view->setThumbnailFromWorker(i, thumb);
        });
    }
}

}  // namespace

AlbumPicker::AlbumPicker(const std::string& folder) : View(kScreenBounds), folder_(folder)
{
    setBackgroundColor(Color::black());
}

std::shared_ptr<AlbumPicker> AlbumPicker::create(const std::string& folder)
{
    std::shared_ptr<AlbumPicker> picker(new AlbumPicker(folder));
    picker->build();
    picker->startLoading();
    return picker;
}

AlbumPicker::~AlbumPicker()
{
    stop_->store(true);
    for (std::thread& t : workers_)
        t.join();
}

void AlbumPicker::build()
{
    for (const AlbumEntry& e : listAlbum(folder_))
        paths_.push_back(e.path);

    const int rows = static_cast<int>((paths_.size() + kColumns - 1) / kColumns);
    content_ = std::make_shared<View>(Rect{0, kBarHeight, kScreenWidth, std::max(1.0f, rows * kCell)});
    addSubview(content_);
    for (size_t i = 0; i < paths_.size(); ++i) {
        const float x = (i % kColumns) * kCell + (kCell - kThumb) / 2;
        const float y = (i / kColumns) * kCell + (kCell - kThumb) / 2;
        auto cell = std::make_shared<View>(Rect{x, y, kThumb, kThumb});
        cell->setBackgroundColor({0.2f, 0.2f, 0.2f, 1});
        cell->setUserInteractionEnabled(false);  // taps reach the picker
        content_->addSubview(cell);
        cells_.push_back(cell);
    }

    auto bar = std::make_shared<View>(Rect{0, 0, kScreenWidth, kBarHeight});
    bar->setBackgroundColor({0.16f, 0.18f, 0.22f, 1});
    bar->setUserInteractionEnabled(false);
    addSubview(bar);
    lblTitle_ = std::make_shared<Label>(Rect{90, 0, 140, kBarHeight});
    lblTitle_->setText("Photos");
    lblTitle_->setFont(Font::system(18));
    lblTitle_->setTextColor(Color::white());
    lblTitle_->setTextAlignment(TextAlignment::Center);
    addSubview(lblTitle_);
    butCancel_ = std::make_shared<Button>(Rect{235, 6, 80, 32});
    butCancel_->setTitle("Cancel");
    butCancel_->addAction([this] {
        if (didCancel)
            didCancel();
    });
    addSubview(butCancel_);

    lblMessage_ = std::make_shared<Label>(Rect{20, 150, 280, 180});
    lblMessage_->setTextColor(Color::white());
    lblMessage_->setFont(Font::system(15));
    lblMessage_->setNumberOfLines(0);
    lblMessage_->setTextAlignment(TextAlignment::Center);
    if (paths_.empty())
        showMessage("No photos in " + folder_ +
                    ".\n\nPut some pictures (JPEG or PNG) in that folder, or drop one on this window.");
}

void AlbumPicker::startLoading()
{
    stop_ = std::make_shared<std::atomic<bool>>(false);
    auto next = std::make_shared<std::atomic<size_t>>(0);
    const unsigned n = std::max(1u, std::min(2u, std::thread::hardware_concurrency()));
    for (unsigned i = 0; i < n && !paths_.empty(); ++i)
        workers_.emplace_back(loadThumbnails, paths_, next, stop_, weak_from_this());
}

void AlbumPicker::setThumbnailFromWorker(size_t index, std::shared_ptr<RGBAImage> thumb)
{
    ++loaded_;
    if (!thumb || index >= cells_.size())
        return;  // unreadable: the cell stays a grey square
    const float scale = kThumb / std::max(thumb->width, thumb->height);
    const float w = thumb->width * scale;
    const float h = thumb->height * scale;
    auto image = std::make_shared<ImageView>(Image(thumb));
    image->setFrame({(kThumb - w) / 2, (kThumb - h) / 2, w, h});
    cells_[index]->addSubview(image);
}

const std::string& AlbumPicker::message() const
{
    static const std::string none;
    return lblMessage_->superview() ? lblMessage_->text() : none;
}

void AlbumPicker::showMessage(const std::string& text)
{
    lblMessage_->setText(text);
    if (!lblMessage_->superview())
        addSubview(lblMessage_);
}

void AlbumPicker::scrollTo(float offset)
{
    const float visible = frame().height - kBarHeight;
    const float most = std::max(0.0f, content_->frame().height - visible);
    scroll_ = std::min(std::max(offset, 0.0f), most);
    Rect f = content_->frame();
    f.y = kBarHeight - scroll_;
    content_->setFrame(f);
}

bool AlbumPicker::scrollWheel(Point, float steps, bool)
{
    const float kPointsPerNotch = kCell / 2;
    if (std::isfinite(steps))
        scrollTo(scroll_ - std::min(std::max(steps, -100.0f), 100.0f) * kPointsPerNotch);
    return true;
}

bool AlbumPicker::keyDown(Key key, bool shift)
{
    // A page leaves one row of the last page in sight.
    const float page = frame().height - kBarHeight - kCell;
    switch (key) {
    case Key::PageUp:
        scrollTo(scroll_ - page);
        return true;
    case Key::PageDown:
        scrollTo(scroll_ + page);
        return true;
    case Key::Escape:
        if (didCancel)
            didCancel();
        return true;
    default:
        return View::keyDown(key, shift);
    }
}

void AlbumPicker::pick(const std::string& path)
{
    RGBAImage photo;
    if (!loadPhoto(path, photo)) {
        logLine("This photo cannot be read: %s", path.c_str());
        showNotice("This photo cannot be read. Choose another one.");  // over the thumbnails, for a few seconds
        return;
    }
    if (didFinishPicking)
        didFinishPicking(photo);
}

void AlbumPicker::touchesBegan(const std::vector<Touch>& touches)
{
    touchStartY_ = touches.front().locationInView(this).y;
    scrollAtStart_ = scroll_;
    dragging_ = false;
}

void AlbumPicker::touchesMoved(const std::vector<Touch>& touches)
{
    const float y = touches.front().locationInView(this).y;
    if (std::fabs(y - touchStartY_) > 8)
        dragging_ = true;
    if (dragging_)
        scrollTo(scrollAtStart_ - (y - touchStartY_));
}

void AlbumPicker::touchesEnded(const std::vector<Touch>& touches)
{
    if (dragging_)
        return;
    const Point p = touches.front().locationInView(content_.get());
    if (touches.front().locationInView(this).y < kBarHeight || p.x < 0 || p.y < 0)
        return;
    const size_t index = static_cast<size_t>(p.y / kCell) * kColumns + static_cast<size_t>(p.x / kCell);
    if (p.x < kColumns * kCell && index < paths_.size())
        pick(paths_[index]);
}

}  // namespace zorbel
