// The action sheet: a translucent dark panel along the bottom of the screen
// with a column of wide rounded buttons, the last one Cancel, over a lightly
// dimmed screen. A tap outside the panel or Escape cancels it; Up and Down
// move a highlight over the buttons, Return picks the highlighted one.
#include "platform/kit/kit.h"
#include "platform/kit/style.h"

#include <algorithm>
#include <cmath>

namespace zorbel {

namespace {

constexpr float kButtonHeight = 44, kSpacing = 8, kMargin = 20;  // points
constexpr float kCornerRadius = 9;
constexpr float kTitleSize = 19, kSmallestTitle = 13;  // points
constexpr float kTitleInset = 36;                      // each side: room for the check mark

enum class Kind { Plain, Destructive, Cancel };

// A sheet button: the kit's button behaviour with the sheet's bigger, bolder
// look, and room for a check mark before the title.
class SheetButton : public Button {
public:
    SheetButton(Rect frame, Kind kind, bool checked, std::function<void()> fire)
        : Button(frame), fire(std::move(fire)), kind_(kind), checked_(checked)
    {
        addAction([this] { this->fire(); });
    }

    void setFocused(bool on) { setHighlighted(on); }
    const std::function<void()> fire;
    float titleSize = kTitleSize;  // the sheet's one size for every title

    void drawRect(GraphicsContext& gc, Rect) override
    {
        const Rect b = bounds();
        if (b.width < 2 || b.height < 2)
            return;
        const bool pressed = isHighlighted();
        gc.roundedRect({0.5f, 0.5f, b.width - 1, b.height - 1}, kCornerRadius);
        Color ink = rgb(0x000000);
        if (pressed)
            gc.fill(Paint::vertical(style::kPressedTop, style::kPressedBottom, 0, b.height), true);
        else if (kind_ == Kind::Destructive)
            gc.fill(Paint::vertical(rgb(0xE5636A), rgb(0xB41B23), 0, b.height), true);
        else if (kind_ == Kind::Cancel)
            gc.fill(Paint::vertical(rgb(0x6B6B70), rgb(0x2F2F33), 0, b.height), true);
        else
            gc.fill(Paint::vertical(rgb(0xFFFFFF), rgb(0xDADBDE), 0, b.height), true);
        if (pressed || kind_ != Kind::Plain)
            ink = Color::white();
        gc.stroke(rgb(0x000000, 0.7f), 1);
        if (checked_) {  // a tick to the left of the title
            gc.moveTo(16, b.height / 2);
            gc.lineTo(22, b.height / 2 + 6);
            gc.lineTo(32, b.height / 2 - 8);
            gc.stroke(pressed ? ink : style::kTitleBlue, 3, LineCap::Round, LineJoin::Round);
        }
        gc.drawText(title(), {Font::system(titleSize), true, ink, TextAlignment::Center, 1, kSmallestTitle},
                    {kTitleInset, 0, b.width - 2 * kTitleInset, b.height});
    }

private:
    Kind kind_;
    bool checked_;
};

}  // namespace

std::shared_ptr<ActionSheet> ActionSheet::create(std::vector<Item> items, std::string cancelTitle)
{
    std::shared_ptr<ActionSheet> sheet(new ActionSheet());
    const float count = static_cast<float>(items.size() + 1);
    const float height = count * kButtonHeight + count * kSpacing + 2 * kMargin;
    sheet->panelTop_ = kScreenHeight - height;
    std::weak_ptr<ActionSheet> weak = sheet;
    float y = sheet->panelTop_ + kMargin;
    items.push_back({std::move(cancelTitle), nullptr, false, false});
    for (size_t i = 0; i < items.size(); ++i) {
        Item& item = items[i];
        if (i + 1 == items.size())
            y += kSpacing;  // Cancel stands a little apart
        const Kind kind = i + 1 == items.size() ? Kind::Cancel : item.destructive ? Kind::Destructive : Kind::Plain;
        auto button =
            std::make_shared<SheetButton>(Rect{kMargin, y, kScreenWidth - 2 * kMargin, kButtonHeight}, kind,
                                          item.checked, [weak, action = std::move(item.action)] {
                                              if (auto s = weak.lock())
                                                  s->cancel();  // first: the action sees the screen without it
                                              if (action)
                                                  action();
                                          });
        button->setTitle(item.title);
        sheet->buttons_.push_back(button.get());
        sheet->addSubview(button);
        y += kButtonHeight + kSpacing;
    }
    return sheet;
}

ActionSheet::ActionSheet() : View(kScreenBounds) {}

void ActionSheet::cancel()
{
    removeFromSuperview();
}

bool ActionSheet::keyDown(Key key, bool shift)
{
    const int count = static_cast<int>(buttons_.size());
    auto focused = [this](int i) { return static_cast<SheetButton*>(buttons_[static_cast<size_t>(i)]); };
    switch (key) {
    case Key::Escape:
        cancel();
        return true;
    case Key::Up:
    case Key::Down:
        if (focus_ >= 0)
            focused(focus_)->setFocused(false);
        focus_ = key == Key::Down ? (focus_ + 1) % count : (focus_ < 1 ? count - 1 : focus_ - 1);
        focused(focus_)->setFocused(true);
        return true;
    case Key::Return:
        if (focus_ < 0)
            return false;
        focused(focus_)->fire();
        return true;
    default:
        return View::keyDown(key, shift);
    }
}

void ActionSheet::drawRect(GraphicsContext& gc, Rect)
{
    // One title size for every button: the largest at which the longest fits.
    float size = kTitleSize;
    for (View* b : buttons_) {
        const auto* button = static_cast<SheetButton*>(b);
        const float room = button->bounds().width - 2 * kTitleInset;
        for (int tries = 0; tries < 4 && size > kSmallestTitle; ++tries) {
            const float width = gc.textWidth(button->title(), {Font::system(size), true});
            if (width <= room)
                break;
            size = std::max(kSmallestTitle, 0.98f * size * room / width);
        }
    }
    for (View* b : buttons_)
        static_cast<SheetButton*>(b)->titleSize = size;

    gc.fillRect({0, 0, kScreenWidth, panelTop_}, rgb(0x000000, 0.25f));
    gc.rect({0, panelTop_, kScreenWidth, kScreenHeight - panelTop_});
    gc.fill(Paint::vertical(rgb(0x2A2D33, 0.88f), rgb(0x0C0D10, 0.92f), panelTop_, kScreenHeight));
    gc.fillRect({0, panelTop_, kScreenWidth, 1}, rgb(0x8A8F99, 0.9f));  // a light top edge
}

// Touches that miss the buttons stop here: nothing beneath the sheet sees
// them. One that ends outside the panel cancels.
void ActionSheet::touchesBegan(const std::vector<Touch>&) {}
void ActionSheet::touchesMoved(const std::vector<Touch>&) {}
void ActionSheet::touchesCancelled(const std::vector<Touch>&) {}

void ActionSheet::touchesEnded(const std::vector<Touch>& touches)
{
    for (const Touch& t : touches) {
        if (t.locationInView(this).y < panelTop_) {
            cancel();
            return;
        }
    }
}

}  // namespace zorbel
