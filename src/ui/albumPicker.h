// The photo album: a screen over everything showing the pictures of the
// user's Pictures folder as thumbnails, newest first. It scrolls, loads the
// thumbnails on worker threads, and hands the picked photo to its delegate.
#pragma once

#include "platform/imaging/image.h"
#include "platform/kit/kit.h"

#include <atomic>
#include <functional>
#include <memory>
#include <string>
#include <thread>
#include <vector>

namespace zorbel {

class AlbumPicker : public View {
public:
    // Lists `folder` at once; thumbnails come in as they are decoded.
    static std::shared_ptr<AlbumPicker> create(const std::string& folder);
    ~AlbumPicker() override;

    // The picked photo, decoded upright and at most 4096 pixels on its longer side.
    std::function<void(const RGBAImage& photo)> didFinishPicking;
    std::function<void()> didCancel;

    // Picks the photo at `path` as if its thumbnail had been tapped (a file
    // dropped on the window). A photo that cannot be read says so in a notice.
    void pick(const std::string& path);

    size_t photoCount() const { return paths_.size(); }
    size_t thumbnailsLoaded() const { return loaded_; }
    // What the album says in place of its photos (an empty folder), if anything.
    const std::string& message() const;

    // A decoded thumbnail arriving on the main thread (null: unreadable).
    void setThumbnailFromWorker(size_t index, std::shared_ptr<RGBAImage> thumb);

    void touchesBegan(const std::vector<Touch>& touches) override;
    void touchesMoved(const std::vector<Touch>& touches) override;
    void touchesEnded(const std::vector<Touch>& touches) override;
    // The wheel and Page Up, Page Down scroll; Escape cancels.
    bool scrollWheel(Point at, float steps, bool shift) override;
    bool keyDown(Key key, bool shift) override;

private:
    explicit AlbumPicker(const std::string& folder);
    void build();
    void startLoading();
    void scrollTo(float offset);
    void showMessage(const std::string& text);

    std::string folder_;
    std::vector<std::string> paths_;
    std::shared_ptr<View> content_;  // the grid, moved to scroll
    std::vector<std::shared_ptr<View>> cells_;
    std::shared_ptr<Label> lblTitle_;
    std::shared_ptr<Label> lblMessage_;
    std::shared_ptr<Button> butCancel_;
    size_t loaded_ = 0;
    float scroll_ = 0;
    float touchStartY_ = 0;
    float scrollAtStart_ = 0;
    bool dragging_ = false;

    std::shared_ptr<std::atomic<bool>> stop_;
    std::vector<std::thread> workers_;
};

}  // namespace zorbel
