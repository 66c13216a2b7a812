// The headless OpenGL ES 1.1 context and the layer's present / read back.
#include <gtest/gtest.h>

#include <cstdlib>
#include <memory>
#include <string>
#include <vector>

#include "pixels.h"
#include "platform/gles/EAGLContext.h"
#include "platform/gles/EAGLLayer.h"
#include "platform/gles/gles.h"

namespace zorbel {
namespace {

using test::near;
using test::pixelAt;

// A framebuffer object whose colour renderbuffer gets its storage from the
// layer, as a GL view sets itself up.
struct ViewFramebuffer {
    GLuint framebuffer = 0;
    GLuint renderbuffer = 0;

    bool create(EAGLContext& context, EAGLLayer& layer)
    {
        glGenFramebuffersOES(1, &framebuffer);
        glGenRenderbuffersOES(1, &renderbuffer);
        glBindFramebufferOES(GL_FRAMEBUFFER_OES, framebuffer);
        glBindRenderbufferOES(GL_RENDERBUFFER_OES, renderbuffer);
        if (!context.renderbufferStorage(layer))
            return false;
        glFramebufferRenderbufferOES(GL_FRAMEBUFFER_OES, GL_COLOR_ATTACHMENT0_OES, GL_RENDERBUFFER_OES, renderbuffer);
        return glCheckFramebufferStatusOES(GL_FRAMEBUFFER_OES) == GL_FRAMEBUFFER_COMPLETE_OES;
    }
    ~ViewFramebuffer()
    {
        if (!EAGLContext::currentContext())
            return;
        glDeleteFramebuffersOES(1, &framebuffer);
        glDeleteRenderbuffersOES(1, &renderbuffer);
    }
};

// Scene-like setup: pixel coordinates with y down, no texturing.
void beginFrame(int width, int height, float r, float g, float b, float a)
{
    glViewport(0, 0, width, height);
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    glOrthof(0.0f, static_cast<GLfloat>(width), static_cast<GLfloat>(height), 0.0f, -1.0f, 1.0f);
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
    glDisable(GL_TEXTURE_2D);
    glDisable(GL_BLEND);
    glClearColor(r, g, b, a);
    glClear(GL_COLOR_BUFFER_BIT);
    glEnableClientState(GL_VERTEX_ARRAY);
}

void fillRect(float x0, float y0, float x1, float y1, float r, float g, float b)
{
    const GLfloat v[8] = {x0, y0, x0, y1, x1, y0, x1, y1};
    glColor4f(r, g, b, 1.0f);
    glVertexPointer(2, GL_FLOAT, 0, v);
    glDrawArrays(GL_TRIANGLE_STRIP, 0, 4);
}

class HeadlessGLES : public ::testing::Test {
protected:
    void SetUp() override
    {
        context_ = EAGLContext::createSurfaceless();
        ASSERT_NE(context_, nullptr) << "no headless OpenGL ES 1.1 context (EGL surfaceless)";
        ASSERT_TRUE(EAGLContext::setCurrentContext(context_.get()));
    }
    void TearDown() override { EAGLContext::setCurrentContext(nullptr); }

    // A layer of width x height pixels with a view's framebuffer on it.
    void makeLayer(int width, int height)
    {
        layer.setDrawableSize(width, height);
        ASSERT_TRUE(view.create(*context_, layer));
    }
    // Presents what was drawn and reads the presented picture back.
    void presentAndRead()
    {
        ASSERT_TRUE(context_->presentRenderbuffer(layer));
        ASSERT_TRUE(layer.readPresentedPixels(rgba, w, h));
        ASSERT_EQ(w, layer.presentedWidth());
        ASSERT_EQ(h, layer.presentedHeight());
        ASSERT_EQ(rgba.size(), size_t(w) * h * 4);
    }
    test::Pixel at(int x, int y) const { return pixelAt(rgba, w, x, y); }

    std::shared_ptr<EAGLContext> context_;
    EAGLLayer layer;
    ViewFramebuffer view;
    std::vector<uint8_t> rgba;
    int w = 0, h = 0;
};

TEST_F(HeadlessGLES, PresentsTopRowFirstInPlaceWithAlphaAndAtANewSize)
{
    makeLayer(640, 960);
    beginFrame(640, 960, 0.0f, 0.0f, 1.0f, 1.0f);  // blue
    fillRect(0, 0, 640, 480, 1.0f, 0.0f, 0.0f);    // top half red
    fillRect(0, 0, 40, 40, 0.0f, 1.0f, 0.0f);      // green mark, top left
    presentAndRead();
    EXPECT_EQ(layer.presentCount(), 1u);
    EXPECT_EQ(w, 640);
    EXPECT_EQ(h, 960);
    EXPECT_TRUE(near(at(10, 10), 0, 255, 0));  // first rows, left: the mark
    EXPECT_TRUE(near(at(600, 10), 255, 0, 0));
    EXPECT_TRUE(near(at(320, 479), 255, 0, 0));
    EXPECT_TRUE(near(at(320, 480), 0, 0, 255));
    EXPECT_TRUE(near(at(10, 950), 0, 0, 255));  // last rows
    EXPECT_EQ(at(320, 900).a, 255);

    // A second picture of the same size updates the texture in place, alpha as rendered.
    const GLuint first = layer.presentedTexture();
    beginFrame(640, 960, 0.25f, 0.5f, 0.75f, 0.5f);
    presentAndRead();
    EXPECT_EQ(layer.presentCount(), 2u);
    EXPECT_EQ(layer.presentedTexture(), first);
    EXPECT_TRUE(near(at(5, 5), 64, 128, 191));
    EXPECT_NEAR(at(5, 5).a, 128, 2);

    // Re-layout: new storage for the same renderbuffer, as a view does.
    layer.setDrawableSize(320, 480);
    ASSERT_TRUE(context_->renderbufferStorage(layer));
    beginFrame(320, 480, 0.0f, 0.0f, 1.0f, 1.0f);
    fillRect(0, 0, 320, 10, 1.0f, 1.0f, 1.0f);
    presentAndRead();
    EXPECT_EQ(w, 320);
    EXPECT_EQ(h, 480);
    EXPECT_TRUE(near(at(319, 5), 255, 255, 255));
    EXPECT_TRUE(near(at(319, 479), 0, 0, 255));
}

TEST_F(HeadlessGLES, PresentKeepsTheCallersBindings)
{
    makeLayer(16, 16);
    GLuint callerTexture = 0;
    glGenTextures(1, &callerTexture);
    glBindTexture(GL_TEXTURE_2D, callerTexture);
    // A second renderbuffer bound: present still uses the attached one.
    GLuint otherRenderbuffer = 0;
    glGenRenderbuffersOES(1, &otherRenderbuffer);
    glBindRenderbufferOES(GL_RENDERBUFFER_OES, otherRenderbuffer);

    beginFrame(16, 16, 0.0f, 1.0f, 0.0f, 1.0f);
    presentAndRead();
    EXPECT_EQ(w, 16);
    GLint binding = 0;
    glGetIntegerv(GL_TEXTURE_BINDING_2D, &binding);
    EXPECT_EQ(static_cast<GLuint>(binding), callerTexture);
    glGetIntegerv(GL_FRAMEBUFFER_BINDING_OES, &binding);
    EXPECT_EQ(static_cast<GLuint>(binding), view.framebuffer);
    glGetIntegerv(GL_RENDERBUFFER_BINDING_OES, &binding);
    EXPECT_EQ(static_cast<GLuint>(binding), otherRenderbuffer);
    glDeleteTextures(1, &callerTexture);
    glDeleteRenderbuffersOES(1, &otherRenderbuffer);
}

TEST_F(HeadlessGLES, BadUseFailsWithoutCrashing)
{
    int width = -1, height = -1;
    EXPECT_FALSE(layer.readPresentedPixels(rgba, width, height));  // nothing presented yet
    EXPECT_EQ(width, -1);

    layer.setDrawableSize(-5, 10);
    EXPECT_EQ(layer.drawableWidth(), 0);
    EXPECT_EQ(layer.drawableHeight(), 10);

    glBindFramebufferOES(GL_FRAMEBUFFER_OES, 0);
    glBindRenderbufferOES(GL_RENDERBUFFER_OES, 0);
    EXPECT_FALSE(context_->renderbufferStorage(layer));  // nothing bound
    EXPECT_FALSE(context_->presentRenderbuffer(layer));  // no framebuffer object

    GLuint renderbuffer = 0;
    glGenRenderbuffersOES(1, &renderbuffer);
    glBindRenderbufferOES(GL_RENDERBUFFER_OES, renderbuffer);
    EXPECT_FALSE(context_->renderbufferStorage(layer));  // zero width
    layer.setDrawableSize(1 << 20, 10);
    EXPECT_FALSE(context_->renderbufferStorage(layer));  // beyond the driver's limit
    glDeleteRenderbuffersOES(1, &renderbuffer);
    EXPECT_EQ(layer.presentCount(), 0u);

    // Not current: refused.
    ASSERT_TRUE(EAGLContext::setCurrentContext(nullptr));
    EXPECT_FALSE(context_->presentRenderbuffer(layer));
}

// A driver without GL_OES_texture_npot: the picture sits in the corner of a
// power-of-two texture and the layer says which part it fills.
TEST(HeadlessGLESPowerOfTwo, PictureFillsASubRectangle)
{
    setenv("ZORBEL_GLES_NO_NPOT", "1", 1);
    auto context = EAGLContext::createSurfaceless();
    ASSERT_NE(context, nullptr);
    ASSERT_TRUE(EAGLContext::setCurrentContext(context.get()));
    unsetenv("ZORBEL_GLES_NO_NPOT");
    EXPECT_FALSE(context->supportsNpotTextures());

    EAGLLayer layer;
    layer.setDrawableSize(100, 150);
    {
        ViewFramebuffer view;
        ASSERT_TRUE(view.create(*context, layer));
        beginFrame(100, 150, 0.0f, 0.0f, 1.0f, 1.0f);
        fillRect(0, 0, 100, 20, 1.0f, 0.0f, 0.0f);  // top strip red
        ASSERT_TRUE(context->presentRenderbuffer(layer));
    }
    EXPECT_FLOAT_EQ(layer.presentedMaxS(), 100.0f / 128.0f);
    EXPECT_FLOAT_EQ(layer.presentedMaxT(), 150.0f / 256.0f);

    std::vector<uint8_t> rgba;
    int w = 0, h = 0;
    ASSERT_TRUE(layer.readPresentedPixels(rgba, w, h));
    ASSERT_EQ(w, 100);
    ASSERT_EQ(h, 150);
    EXPECT_TRUE(near(pixelAt(rgba, w, 99, 0), 255, 0, 0));
    EXPECT_TRUE(near(pixelAt(rgba, w, 99, 19), 255, 0, 0));
    EXPECT_TRUE(near(pixelAt(rgba, w, 0, 20), 0, 0, 255));
    EXPECT_TRUE(near(pixelAt(rgba, w, 99, 149), 0, 0, 255));
    EXPECT_TRUE(EAGLContext::setCurrentContext(nullptr));
}

TEST(HeadlessGLESContexts, LayerIsReadInItsOwnContext)
{
    auto a = EAGLContext::createSurfaceless();
    auto b = EAGLContext::createSurfaceless();
    ASSERT_TRUE(a && b);
    auto layer = std::make_unique<EAGLLayer>();
    layer->setDrawableSize(8, 8);
    ASSERT_TRUE(EAGLContext::setCurrentContext(a.get()));
    GLuint texture = 0;
    {
        ViewFramebuffer view;
        ASSERT_TRUE(view.create(*a, *layer));
        beginFrame(8, 8, 1.0f, 1.0f, 0.0f, 1.0f);
        ASSERT_TRUE(a->presentRenderbuffer(*layer));
        texture = layer->presentedTexture();
    }

    ASSERT_TRUE(EAGLContext::setCurrentContext(b.get()));
    std::vector<uint8_t> rgba;
    int w = 0, h = 0;
    ASSERT_TRUE(layer->readPresentedPixels(rgba, w, h));
    EXPECT_TRUE(near(pixelAt(rgba, w, 4, 4), 255, 255, 0));
    EXPECT_EQ(EAGLContext::currentContext(), b.get());

    // Destroying the layer deletes its texture in context a, with b current.
    layer.reset();
    EXPECT_EQ(EAGLContext::currentContext(), b.get());
    ASSERT_TRUE(EAGLContext::setCurrentContext(a.get()));
    EXPECT_EQ(glIsTexture(texture), GL_FALSE);

    // A layer outliving its context only forgets the texture.
    auto orphan = std::make_unique<EAGLLayer>();
    orphan->setDrawableSize(8, 8);
    {
        ViewFramebuffer view;
        ASSERT_TRUE(view.create(*a, *orphan));
        ASSERT_TRUE(a->presentRenderbuffer(*orphan));
    }
    a.reset();
    EXPECT_EQ(EAGLContext::currentContext(), nullptr);
    EXPECT_FALSE(orphan->readPresentedPixels(rgba, w, h));
    orphan.reset();
    EXPECT_TRUE(EAGLContext::setCurrentContext(nullptr));
}

}  // namespace
}  // namespace zorbel
