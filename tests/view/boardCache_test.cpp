// Laying fresh board only where the last frame drew gives the very pixels of
// laying the whole board every frame. Each way runs in a fresh child process,
// so that both start from the same rand() sequence and program state.
#include "sceneFixture.h"

#include "testHome.h"

#include <fstream>
#include <iterator>
#include <sys/wait.h>
#include <unistd.h>

namespace zorbel::test {
namespace {

// Runs a busy scene and writes every 10th frame's pixels to `path`.
void renderScene(bool cached, const std::string& path)
{
    auto context = EAGLContext::createSurfaceless();
    auto view = EAGLView::initWithContext(context, nullptr);
    if (!view)
        _exit(3);
    iZorbelAppDelegate delegate;
    delegate.glView = view.get();
    view->layer().setDrawableSize(320, 480);
    view->createFramebuffer();
    view->setBoardCacheEnabled(cached);
    std::ofstream out(path, std::ios::binary);
    std::vector<uint8_t> pixels;
    int w = 0;
    int h = 0;
    for (int frame = 1; frame <= 600; ++frame) {
        const TouchPoint finger{200.0f, 330.0f - frame % 200};
        if (frame == 250)
            view->touchesBegan(&finger, 1);
        if (frame > 250 && frame < 400)
            view->touchesMoved(&finger, 1);
        if (frame == 330) {
            const TouchPoint corner{10.0f, 470.0f};
            view->touchesBegan(&corner, 1);  // tack it, then take it over again
        }
        if (frame == 350)
            view->touchesBegan(&finger, 1);
        if (frame == 400)
            view->touchesEnded(&finger, 1);
        if (frame == 420)
            delegate.accelerometerDidAccelerate(0.8, -0.4, 0.0);
        if (frame == 500)
            delegate.accelerometerDidAccelerate(-0.7, 0.6, 0.0);
        view->drawView();
        if (frame % 10 == 0) {
            view->layer().readPresentedPixels(pixels, w, h);
            out.write(reinterpret_cast<const char*>(pixels.data()), static_cast<std::streamsize>(pixels.size()));
        }
    }
    out.close();
    view.reset();
    _exit(out ? 0 : 4);
}

std::string renderInChild(bool cached)
{
    const std::string path = freshDir("board") + "/frames.raw";
    const pid_t child = fork();
    if (child == 0)
        renderScene(cached, path);
    int status = 0;
    waitpid(child, &status, 0);
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

TEST(BoardCache, GivesTheSamePixelsAsDrawingTheWholeBoard)
{
    const std::string whole = renderInChild(false);
    const std::string partial = renderInChild(true);
    ASSERT_EQ(whole.size(), 60u * 320 * 480 * 4);
    ASSERT_EQ(partial.size(), whole.size());
    size_t first = 0;
    while (first < whole.size() && whole[first] == partial[first])
        ++first;
    EXPECT_EQ(first, whole.size()) << "first difference in frame " << (first / (320 * 480 * 4) + 1) * 10 << " at pixel "
                                   << (first % (320 * 480 * 4)) / 4;
}

}  // namespace
}  // namespace zorbel::test
