// Renders a panel of every kind of view, in every state, at 1x and 2x, as
// PNG files to look at: zorbel-kit-gallery <folder>.
#include "platform/imaging/image.h"
#include "platform/kit/kit.h"

#include <cstdio>
#include <string>

using namespace zorbel;

namespace {

template <typename T, typename... Args> std::shared_ptr<T> add(View& parent, Args&&... args)
{
    auto view = std::make_shared<T>(std::forward<Args>(args)...);
    parent.addSubview(view);
    return view;
}

std::shared_ptr<Label> caption(View& parent, Rect frame, const char* text)
{
    auto label = add<Label>(parent, frame);
    label->setText(text);
    label->setFont(Font::system(14));
    return label;
}

}  // namespace

int main(int argc, char** argv)
{
    if (argc != 2) {
        std::fprintf(stderr, "usage: %s <folder>\n", argv[0]);
        return 2;
    }
    Screen screen;
    // A dark board below, as the GL scene would be.
    auto board = add<View>(screen.root(), Rect{0, 0, 320, 480});
    board->setBackgroundColor({0.16f, 0.17f, 0.16f, 1});
    auto page = add<View>(*board, Rect{10, 10, 300, 460});
    page->setBackgroundColor(Color::white());
    page->setAlpha(0.65f);
    auto panel = add<View>(*board, Rect{10, 10, 300, 460});

    auto title = add<Label>(*panel, Rect{10, 8, 280, 30});
    title->setText("Settings");
    title->setFont(Font::system(22));
    title->setTextAlignment(TextAlignment::Center);

    add<Button>(*panel, Rect{20, 46, 125, 37})->setTitle("Done");
    auto pressed = add<Button>(*panel, Rect{155, 46, 125, 37});
    pressed->setTitle("Pressed");
    auto disabled = add<Button>(*panel, Rect{20, 92, 260, 37});
    disabled->setTitle("A disabled button with a long title");
    disabled->setEnabled(false);

    caption(*panel, Rect{20, 145, 110, 27}, "Sound");
    add<Switch>(*panel, Rect{186, 145, 0, 0})->setOn(true);
    caption(*panel, Rect{20, 180, 110, 27}, "Photo face");
    add<Switch>(*panel, Rect{186, 180, 0, 0});

    const float values[] = {0, 0.5f, 1};
    for (int i = 0; i < 3; ++i) {
        const float y = 228 + 32 * i;
        auto slider = add<Slider>(*panel, Rect{20, y, 260, 7});
        slider->setValue(values[i]);
    }

    auto wrapped = add<Label>(*panel, Rect{20, 315, 260, 60});
    wrapped->setText("Tilt the phone to move him; tap to make him jump; shake to make him dance to the beat.");
    wrapped->setNumberOfLines(0);
    wrapped->setFont(Font::system(14));
    auto italic = add<Label>(*panel, Rect{20, 380, 260, 24});
    italic->setText("Italic, centred");
    italic->setFont(Font::italicSystem(17));
    italic->setTextAlignment(TextAlignment::Center);
    auto cut = add<Label>(*panel, Rect{20, 406, 260, 24});
    cut->setText("One line only, far too long to fit in its frame");
    if (Image tack = imageNamed("thumbTack32.png")) {
        auto pin = add<ImageView>(*panel, tack);
        pin->setFrame({134, 428, 32, 32});
    }

    // Press the second button (screen coordinates).
    screen.dispatch(TouchPhase::Began, {{1, {10 + 200, 10 + 60}}});

    const std::string folder = argv[1];
    for (int scale : {1, 2}) {
        RGBAImage out;
        screen.render(320 * scale, 480 * scale, out);
        const std::string path = folder + "/kit-gallery@" + std::to_string(scale) + "x.png";
        if (!savePNG(path, out)) {
            std::fprintf(stderr, "cannot write %s\n", path.c_str());
            return 1;
        }
        std::printf("%s\n", path.c_str());
    }
    return 0;
}
