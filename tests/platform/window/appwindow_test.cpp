// The window under SDL's offscreen video driver: a presented GL picture is
// composited into the letterboxed screen area, with an overlay above it, and
// the GL state a scene relies on survives the compositing.
#include <gtest/gtest.h>

#include <cstdlib>
#include <memory>
#include <string>
#include <vector>

#include "pixels.h"
#include "platform/gles/EAGLContext.h"
#include "platform/gles/EAGLLayer.h"
#include "platform/gles/gles.h"
#include "platform/window/AppWindow.h"

namespace zorbel {
namespace {

using test::pixelAt;

// Within 3 levels of (r, g, b).
bool isColour(const test::Pixel& p, int r, int g, int b)
{
    return test::near(p, r, g, b, 3);
}

class OffscreenWindow : public ::testing::Test {
protected:
    void SetUp() override
    {
        setenv("SDL_VIDEODRIVER", "offscreen", 0);  // unless the caller chose a driver
        if (!window_.open("zorbel test", 400, 300)) {
            GTEST_SKIP() << "SDL's offscreen driver cannot give an OpenGL ES 1.1 window context here";
        }
    }
    AppWindow window_;
};

// Renders a picture the way a GL view does: top half red, bottom half blue,
// into a framebuffer object sized from the layer, then presents it.
void renderAndPresent(EAGLContext& context, EAGLLayer& layer)
{
    const int w = layer.drawableWidth(), h = layer.drawableHeight();
    GLuint framebuffer = 0, renderbuffer = 0;
    glGenFramebuffersOES(1, &framebuffer);
    glGenRenderbuffersOES(1, &renderbuffer);
    glBindFramebufferOES(GL_FRAMEBUFFER_OES, framebuffer);
    glBindRenderbufferOES(GL_RENDERBUFFER_OES, renderbuffer);
    ASSERT_TRUE(context.renderbufferStorage(layer));
    glFramebufferRenderbufferOES(GL_FRAMEBUFFER_OES, GL_COLOR_ATTACHMENT0_OES, GL_RENDERBUFFER_OES, renderbuffer);
    glViewport(0, 0, w, h);
    glEnable(GL_SCISSOR_TEST);
    glScissor(0, 0, w, h / 2);  // GL's bottom half
    glClearColor(0, 0, 1, 1);
    glClear(GL_COLOR_BUFFER_BIT);
    glScissor(0, h / 2, w, h - h / 2);
    glClearColor(1, 0, 0, 1);
    glClear(GL_COLOR_BUFFER_BIT);
    glDisable(GL_SCISSOR_TEST);
    ASSERT_TRUE(context.presentRenderbuffer(layer));
    glBindFramebufferOES(GL_FRAMEBUFFER_OES, 0);
    glDeleteFramebuffersOES(1, &framebuffer);
    glDeleteRenderbuffersOES(1, &renderbuffer);
}

TEST_F(OffscreenWindow, OpensWithAnOpenGLES1ContextAndMapsPositionsToPoints)
{
    ASSERT_NE(window_.context(), nullptr);
    EXPECT_EQ(EAGLContext::currentContext(), window_.context());
    const char* version = reinterpret_cast<const char*>(glGetString(GL_VERSION));
    ASSERT_NE(version, nullptr);
    EXPECT_EQ(std::string(version).rfind("OpenGL ES-CM 1.", 0), 0u) << version;
    int w = 0, h = 0;
    window_.windowSize(w, h);
    EXPECT_EQ(w, 400);
    EXPECT_EQ(h, 300);
    EXPECT_NE(window_.windowID(), 0u);

    int dw = 0, dh = 0;
    window_.drawableSize(dw, dh);
    ASSERT_GT(dw, 0);
    // 300 high: 0.625 window units per point, screen from x = 100 to 300.
    float px = 0, py = 0;
    EXPECT_TRUE(window_.windowToPoints(200.0f, 150.0f, px, py));
    EXPECT_FLOAT_EQ(px, 160.0f);
    EXPECT_FLOAT_EQ(py, 240.0f);
    EXPECT_FALSE(window_.windowToPoints(50.0f, 150.0f, px, py));
    EXPECT_FLOAT_EQ(window_.pixelsPerPoint(), 0.625f * static_cast<float>(dh) / 300.0f);
}

TEST_F(OffscreenWindow, CompositesPictureIntoLetterboxAndOverlayAbove)
{
    EAGLContext& context = *window_.context();
    EAGLLayer layer;
    std::vector<uint8_t> rgba;
    int w = 0, h = 0;
    window_.drawComposite(layer);  // nothing presented yet: black
    ASSERT_TRUE(window_.readDrawablePixels(rgba, w, h));
    EXPECT_TRUE(isColour(pixelAt(rgba, w, w / 2, h / 2), 0, 0, 0));

    const float ppp = window_.pixelsPerPoint();
    layer.setDrawableSize(static_cast<int>(320 * ppp + 0.5f), static_cast<int>(480 * ppp + 0.5f));
    renderAndPresent(context, layer);

    // Overlay: 1 x 2 premultiplied texture, top row opaque white, bottom row
    // fully transparent.
    const uint8_t overlayPixels[8] = {255, 255, 255, 255, 0, 0, 0, 0};
    GLuint overlay = 0;
    glGenTextures(1, &overlay);
    glBindTexture(GL_TEXTURE_2D, overlay);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_NEAREST);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_NEAREST);
    glTexImage2D(GL_TEXTURE_2D, 0, GL_RGBA, 1, 2, 0, GL_RGBA, GL_UNSIGNED_BYTE, overlayPixels);

    // The scene's lasting state, with a texture of its own bound.
    GLuint sceneTexture = 0;
    glGenTextures(1, &sceneTexture);
    glBindTexture(GL_TEXTURE_2D, sceneTexture);
    glEnable(GL_TEXTURE_2D);
    glEnable(GL_BLEND);
    glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
    glTexEnvi(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, GL_MODULATE);
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();

    window_.drawComposite(layer);
    ASSERT_TRUE(window_.readDrawablePixels(rgba, w, h));
    const float sx = static_cast<float>(w) / 400.0f;  // drawable pixels per window unit
    const float sy = static_cast<float>(h) / 300.0f;
    auto at = [&](float x, float y) { return pixelAt(rgba, w, static_cast<int>(x * sx), static_cast<int>(y * sy)); };
    EXPECT_TRUE(isColour(at(50, 150), 0, 0, 0));     // left bar
    EXPECT_TRUE(isColour(at(350, 150), 0, 0, 0));    // right bar
    EXPECT_TRUE(isColour(at(200, 40), 255, 0, 0));   // top of the screen: red
    EXPECT_TRUE(isColour(at(200, 260), 0, 0, 255));  // bottom: blue
    EXPECT_TRUE(isColour(at(105, 5), 255, 0, 0));    // corners lie inside the screen
    EXPECT_TRUE(isColour(at(295, 295), 0, 0, 255));

    window_.drawComposite(layer, overlay);
    ASSERT_TRUE(window_.readDrawablePixels(rgba, w, h));
    EXPECT_TRUE(isColour(at(200, 40), 255, 255, 255));  // overlay's top row covers
    EXPECT_TRUE(isColour(at(200, 260), 0, 0, 255));     // its clear half shows the picture
    EXPECT_TRUE(isColour(at(50, 40), 0, 0, 0));         // nothing on the bars
    window_.swap();

    EXPECT_TRUE(glIsEnabled(GL_TEXTURE_2D));
    EXPECT_TRUE(glIsEnabled(GL_BLEND));
    const GLint kept[][2] = {{GL_BLEND_SRC, GL_SRC_ALPHA},
                             {GL_BLEND_DST, GL_ONE_MINUS_SRC_ALPHA},
                             {GL_TEXTURE_BINDING_2D, GLint(sceneTexture)},
                             {GL_MATRIX_MODE, GL_MODELVIEW},
                             {GL_MODELVIEW_STACK_DEPTH, 1},
                             {GL_PROJECTION_STACK_DEPTH, 1}};
    for (const auto& [name, want] : kept) {
        GLint value = 0;
        glGetIntegerv(GLenum(name), &value);
        EXPECT_EQ(value, want) << std::hex << name;
    }
    GLint mode = 0;
    glGetTexEnviv(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, &mode);
    EXPECT_EQ(mode, GL_MODULATE);
    GLfloat m[16];
    glGetFloatv(GL_MODELVIEW_MATRIX, m);
    for (int i = 0; i < 16; ++i)
        EXPECT_EQ(m[i], (i % 5 == 0) ? 1.0f : 0.0f) << i;
    EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));

    glDeleteTextures(1, &overlay);
    glDeleteTextures(1, &sceneTexture);
}

// With a power-of-two layer texture only its picture part reaches the screen.
TEST(AppWindowPowerOfTwo, CompositesOnlyThePicturePartOfTheTexture)
{
    setenv("SDL_VIDEODRIVER", "offscreen", 0);
    setenv("ZORBEL_GLES_NO_NPOT", "1", 1);
    AppWindow window;
    const bool opened = window.open("zorbel test", 320, 480);
    unsetenv("ZORBEL_GLES_NO_NPOT");
    if (!opened)
        GTEST_SKIP() << "no offscreen GLES window here";
    ASSERT_FALSE(window.context()->supportsNpotTextures());

    EAGLLayer layer;
    layer.setDrawableSize(200, 300);  // in a 256 x 512 texture
    renderAndPresent(*window.context(), layer);
    ASSERT_LT(layer.presentedMaxS(), 1.0f);
    window.drawComposite(layer);
    std::vector<uint8_t> rgba;
    int w = 0, h = 0;
    ASSERT_TRUE(window.readDrawablePixels(rgba, w, h));
    // The texture's unused part is black; none of it may show.
    EXPECT_TRUE(isColour(pixelAt(rgba, w, w / 2, 2), 255, 0, 0));
    EXPECT_TRUE(isColour(pixelAt(rgba, w, w - 2, h / 4), 255, 0, 0));
    EXPECT_TRUE(isColour(pixelAt(rgba, w, w - 2, h - 2), 0, 0, 255));
    EXPECT_TRUE(isColour(pixelAt(rgba, w, w / 2, h - 2), 0, 0, 255));
}

// A new window has the screen's aspect at a half step of scale. A GL view may
// keep the window's context beyond the window: closing ends it, and later uses
// fail instead of touching the destroyed window.
TEST(AppWindowClose, ContextKeptElsewhereEndsWithTheWindow)
{
    setenv("SDL_VIDEODRIVER", "offscreen", 0);
    AppWindow window;
    if (!window.open("zorbel test"))
        GTEST_SKIP() << "no offscreen GLES window here";
    int w = 0, h = 0;
    window.windowSize(w, h);
    EXPECT_EQ(w * 3, h * 2);
    EXPECT_EQ(w % 160, 0);
    EXPECT_GE(w, 160);
    std::shared_ptr<EAGLContext> kept = window.sharedContext();
    ASSERT_EQ(kept.get(), window.context());
    auto layer = std::make_unique<EAGLLayer>();
    layer->setDrawableSize(32, 48);
    renderAndPresent(*kept, *layer);

    window.close();
    EXPECT_FALSE(window.isOpen());
    EXPECT_EQ(window.context(), nullptr);
    EXPECT_TRUE(kept->isDestroyed());
    EXPECT_EQ(EAGLContext::currentContext(), nullptr);
    EXPECT_FALSE(EAGLContext::setCurrentContext(kept.get()));
    std::vector<uint8_t> rgba;
    EXPECT_FALSE(layer->readPresentedPixels(rgba, w, h));
}

}  // namespace
}  // namespace zorbel
