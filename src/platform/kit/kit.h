// A small retained view toolkit in the classic mobile style: frames in
// points of the 320 x 480 screen (origin top left, y down), subviews in order
// with later ones on top, hit testing, touches delivered to the hit view and
// passed up the responder chain, target/action controls, view controllers
// with loadView. Views draw through the GraphicsContext of
// platform/imaging/graphics.h, so code outside platform/ never sees how.
#pragma once

#include "platform/imaging/graphics.h"
#include "platform/kit/keys.h"
#include "platform/screenSize.h"

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace zorbel {

// The whole screen, the frame of every full-screen view.
constexpr Rect kScreenBounds{0, 0, kScreenWidth, kScreenHeight};

class View;
class ViewController;

// One finger (or the mouse) on the screen.
struct Touch {
    int64_t id = 0;        // the same for one finger from began to ended
    Point screenLocation;  // in screen points
    // The location in a view's own coordinates.
    Point locationInView(const View* view) const;
};

enum class TouchPhase { Began, Moved, Ended, Cancelled };

class View : public std::enable_shared_from_this<View> {
public:
    explicit View(Rect frame = {});
    virtual ~View();
    View(const View&) = delete;
    View& operator=(const View&) = delete;

    Rect frame() const { return frame_; }
    void setFrame(Rect frame);
    Rect bounds() const { return {0, 0, frame_.width, frame_.height}; }

    Color backgroundColor() const { return background_; }
    void setBackgroundColor(Color c);
    float alpha() const { return alpha_; }  // opacity of the view and its subviews
    void setAlpha(float a);
    bool isUserInteractionEnabled() const { return interactive_; }
    void setUserInteractionEnabled(bool on) { interactive_ = on; }
    bool isMultipleTouchEnabled() const { return multipleTouch_; }
    void setMultipleTouchEnabled(bool on) { multipleTouch_ = on; }

    // The view tree owns its views. Adding a view that has a superview moves it.
    void addSubview(std::shared_ptr<View> view);
    // Safe from inside the view's own action: the view lives on until the
    // event being dispatched has been handled.
    void removeFromSuperview();
    View* superview() const { return superview_; }
    const std::vector<std::shared_ptr<View>>& subviews() const { return subviews_; }
    // Called on a view before `subview` leaves it.
    virtual void willRemoveSubview(View* subview);
    // Called on a view after it was added to a superview or removed from one.
    virtual void didMoveToSuperview();

    // Marks the view for drawing at the next refresh.
    void setNeedsDisplay();
    // Draws the view's own content (after its background is filled).
    virtual void drawRect(GraphicsContext& context, Rect rect);

    // The deepest view under the point (in this view's coordinates) that
    // accepts touches, or nullptr.
    virtual View* hitTest(Point p);
    // Converts between this view's coordinates and the screen's.
    Point convertToScreen(Point p) const;
    Point convertFromScreen(Point p) const;

    // The responder chain: by default a view passes its touches on to its
    // view controller if it is one's root view, else to its superview.
    virtual void touchesBegan(const std::vector<Touch>& touches);
    virtual void touchesMoved(const std::vector<Touch>& touches);
    virtual void touchesEnded(const std::vector<Touch>& touches);
    virtual void touchesCancelled(const std::vector<Touch>& touches);

    // Desktop input. Each returns whether the view took it; by default a view
    // passes it on to its superview. The wheel: `steps` notches, positive
    // away from the user, with the pointer at screen point `at`.
    virtual bool scrollWheel(Point at, float steps, bool shift);
    virtual bool keyDown(Key key, bool shift);

    // The controller whose root view this is, if any (set by the controller).
    ViewController* viewController() const { return controller_; }

private:
    friend class ViewController;
    friend class Screen;
    void passOn(TouchPhase phase, const std::vector<Touch>& touches);

    Rect frame_;
    Color background_ = Color::clear();
    float alpha_ = 1;
    bool interactive_ = true;
    bool multipleTouch_ = false;
    View* superview_ = nullptr;
    std::vector<std::shared_ptr<View>> subviews_;
    ViewController* controller_ = nullptr;
};

class ViewController : public std::enable_shared_from_this<ViewController> {
public:
    ViewController();
    virtual ~ViewController();
    // The root view; the first request runs loadView.
    std::shared_ptr<View> view();
    bool isViewLoaded() const { return view_ != nullptr; }
    void setView(std::shared_ptr<View> view);
    // Builds the root view with setView; the default makes a plain view.
    virtual void loadView();
    // Touches passed on by the root view go to its superview.
    virtual void touchesBegan(const std::vector<Touch>& touches);
    virtual void touchesMoved(const std::vector<Touch>& touches);
    virtual void touchesEnded(const std::vector<Touch>& touches);
    virtual void touchesCancelled(const std::vector<Touch>& touches);

private:
    std::shared_ptr<View> view_;
};

class Label : public View {
public:
    explicit Label(Rect frame = {});
    void setText(std::string text);
    const std::string& text() const { return text_; }
    void setFont(Font f);
    void setTextColor(Color c);
    void setTextAlignment(TextAlignment a);
    void setNumberOfLines(int n);  // 0 = unlimited, wrapped at word boundaries
    // A single line too wide for the frame shrinks, down to this size (0: it ends in an ellipsis).
    void setMinimumFontSize(float size);
    void drawRect(GraphicsContext& context, Rect rect) override;

private:
    std::string text_;
    Font font_ = Font::system(17);
    Color textColor_ = Color::black();
    TextAlignment alignment_ = TextAlignment::Left;
    int lines_ = 1;
    float minimumFontSize_ = 0;
};

// A control keeps every touch that began on it until that touch ends.
class Control : public View {
public:
    using Action = std::function<void()>;
    explicit Control(Rect frame = {});
    bool isHighlighted() const { return highlighted_; }
    bool isEnabled() const { return enabled_; }
    void setEnabled(bool on);

protected:
    void setHighlighted(bool on);
    // Single-finger tracking: a control follows the first touch that began
    // on it and ignores other fingers until that one ends.
    const Touch* beginTracking(const std::vector<Touch>& touches);  // null when busy or disabled
    const Touch* trackedTouch(const std::vector<Touch>& touches) const;
    void endTracking() { tracking_ = false; }
    static void sendActions(const std::vector<Action>& actions);

private:
    bool highlighted_ = false;
    bool enabled_ = true;
    bool tracking_ = false;
    int64_t touchId_ = 0;
};

// The rounded-rectangle button: fires its action on touch up inside.
class Button : public Control {
public:
    explicit Button(Rect frame = {});
    void setTitle(std::string title);
    const std::string& title() const { return title_; }
    void setFont(Font f);
    void addAction(Action action);  // touch up inside
    void drawRect(GraphicsContext& context, Rect rect) override;
    void touchesBegan(const std::vector<Touch>& touches) override;
    void touchesMoved(const std::vector<Touch>& touches) override;
    void touchesEnded(const std::vector<Touch>& touches) override;
    void touchesCancelled(const std::vector<Touch>& touches) override;

private:
    std::string title_;
    Font font_ = Font::system(15);
    std::vector<Action> actions_;
};

// On/off, toggled by a tap or by sliding the knob; fires on value change.
class Switch : public Control {
public:
    explicit Switch(Rect frame = {});
    bool isOn() const { return on_; }
    void setOn(bool on);  // does not fire
    void addAction(Action action);
    void drawRect(GraphicsContext& context, Rect rect) override;
    void touchesBegan(const std::vector<Touch>& touches) override;
    void touchesMoved(const std::vector<Touch>& touches) override;
    void touchesEnded(const std::vector<Touch>& touches) override;
    void touchesCancelled(const std::vector<Touch>& touches) override;

private:
    bool on_ = false;
    std::vector<Action> actions_;
    // gesture state
    float startX_ = 0;
    bool slid_ = false;
    float knob_ = 0;  // knob position while slid: 0 = off (left) .. 1 = on (right)
    float knobPosition() const;
};

// A horizontal slider; fires on value change while dragged when continuous,
// else once when released. A touch-down on the track moves the knob there.
class Slider : public Control {
public:
    explicit Slider(Rect frame = {});
    void setMinimumValue(float v);
    void setMaximumValue(float v);
    float minimumValue() const { return min_; }
    float maximumValue() const { return max_; }
    void setValue(float v);  // clamped to the range; does not fire
    float value() const { return value_; }
    void setContinuous(bool on) { continuous_ = on; }
    void addAction(Action action);
    void drawRect(GraphicsContext& context, Rect rect) override;
    void touchesBegan(const std::vector<Touch>& touches) override;
    void touchesMoved(const std::vector<Touch>& touches) override;
    void touchesEnded(const std::vector<Touch>& touches) override;
    void touchesCancelled(const std::vector<Touch>& touches) override;
    // Slider touches are taken in a band taller than its thin frame.
    View* hitTest(Point p) override;

private:
    float min_ = 0, max_ = 1, value_ = 0;
    bool continuous_ = true;
    std::vector<Action> actions_;
    float startValue_ = 0;  // at touch-down, to tell whether a drag changed it
    void follow(const Touch& touch);
};

// The action sheet: a column of buttons in a panel along the bottom of the
// screen, over the whole screen. A button removes the sheet, then runs its
// action; a tap outside the panel, Escape or cancel() removes it and does
// nothing. Up and Down highlight a button, Return picks it.
class ActionSheet : public View {
public:
    struct Item {
        std::string title;
        std::function<void()> action;
        bool checked = false;      // a check mark before the title
        bool destructive = false;  // red
    };
    // The items in order, then a Cancel button titled cancelTitle.
    static std::shared_ptr<ActionSheet> create(std::vector<Item> items, std::string cancelTitle);
    void cancel();
    void drawRect(GraphicsContext& context, Rect rect) override;
    void touchesBegan(const std::vector<Touch>& touches) override;
    void touchesMoved(const std::vector<Touch>& touches) override;
    void touchesEnded(const std::vector<Touch>& touches) override;
    void touchesCancelled(const std::vector<Touch>& touches) override;
    bool keyDown(Key key, bool shift) override;

private:
    ActionSheet();
    float panelTop_ = kScreenHeight;
    std::vector<View*> buttons_;  // owned as subviews, in order
    int focus_ = -1;              // the highlighted button, -1 for none
};

// Shows its image at its frame's size. Takes no touches.
class ImageView : public View {
public:
    explicit ImageView(Image image);  // frame (0, 0) at the image's size
    void drawRect(GraphicsContext& context, Rect rect) override;

private:
    Image image_;
};

// Shows a picture that changes many times a second (a camera's preview),
// scaled to fit the frame with its aspect kept and centred. Each picture is
// converted once, when it is set, into the form the screen draws, in a
// buffer reused while the size stays. Takes no touches.
class VideoView : public View {
public:
    explicit VideoView(Rect frame = {});
    ~VideoView() override;
    // Opaque RGBA pixels, rows top first, `stride` bytes apart. False (and
    // the picture cleared) when the size is unusable.
    bool setPixels(const uint8_t* rgba, int width, int height, int stride);
    bool hasPicture() const { return picture_ != nullptr; }
    // Shown flipped left to right, as a mirror shows a face.
    void setMirrored(bool on);
    void drawRect(GraphicsContext& context, Rect rect) override;

private:
    std::unique_ptr<Picture> picture_;
    bool mirrored_ = false;
};

// The screen: the root of the view tree (320 x 480 points), touch dispatch
// and drawing. One per window (or headless scene).
class Screen {
public:
    Screen();
    ~Screen();
    View& root() { return *root_; }

    // Delivers one touch event (screen points). Touches that begin go to
    // the deepest interactive view under them; later phases go to the view
    // their touch began on. Views removed during the dispatch are destroyed
    // after it.
    void dispatch(TouchPhase phase, const std::vector<Touch>& touches);
    // The wheel goes to the deepest interactive view under the pointer, a key
    // to the top-most view; each then goes up the superviews until one takes
    // it. False when none did.
    bool dispatchWheel(Point at, float steps, bool shift);
    bool dispatchKey(Key key, bool shift);

    // True when something changed since the last render.
    bool needsDisplay() const;
    // Draws every view into a transparent picture of the given pixel size
    // (the screen scaled uniformly), premultiplied RGBA, rows top first.
    // Clear views draw nothing, so the GL picture below shows through.
    void render(int pixelWidth, int pixelHeight, RGBAImage& out);
    // Draws every view into `context`, whose user space is the screen's
    // points; marks the screen drawn.
    void draw(GraphicsContext& context);

private:
    struct Impl;
    std::unique_ptr<Impl> impl_;
    std::shared_ptr<View> root_;
};

// Keeps an object alive until the current event has been dispatched.
void releaseAfterDispatch(std::shared_ptr<void> object);

// Handling of an event that is not a touch (a key, a dropped file): views
// removed meanwhile live on until the scope ends, as during a touch dispatch.
class EventScope {
public:
    EventScope();
    ~EventScope();
    EventScope(const EventScope&) = delete;
    EventScope& operator=(const EventScope&) = delete;
};

// Work handed from other threads (a decoded thumbnail) to the main thread.
// runOnMainThread may be called from any thread; the wake-up, when set, is
// called after each task is queued so the main loop looks at the queue.
void runOnMainThread(std::function<void()> task);
void setMainThreadWakeUp(std::function<void()> wakeUp);
// Runs the queued tasks; main thread only.
void runMainThreadTasks();

// Loads a shipped resource image by name (platform image cache); null when missing.
Image imageNamed(const char* name);

}  // namespace zorbel
