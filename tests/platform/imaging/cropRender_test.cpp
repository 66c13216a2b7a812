// The crop face rendered with cairo: where the photo lands, what is cut out,
// and that the fast clipped render gives the very same pixels.
#include "pixels.h"
#include "platform/imaging/cropRender.h"
#include "ui/cropFace.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <limits>

namespace zorbel {
namespace {

bool renderCropFace(const RGBAImage& photo, const CropModel& m, RGBAImage& face, bool clipToSquare = true)
{
    CropRenderer renderer;
    return renderer.setPhoto(photo) && renderCropFace(renderer, m, face, clipToSquare);
}

RGBAImage makePhoto(int w, int h, test::Pixel fill)
{
    RGBAImage img{w, h, {}};
    for (int i = 0; i < w * h; ++i)
        img.pixels.insert(img.pixels.end(), {uint8_t(fill.r), uint8_t(fill.g), uint8_t(fill.b), uint8_t(fill.a)});
    return img;
}

void put(RGBAImage& img, int x, int y, test::Pixel c)
{
    uint8_t* p = &img.pixels[(size_t(y) * img.width + x) * 4];
    p[0] = uint8_t(c.r), p[1] = uint8_t(c.g), p[2] = uint8_t(c.b), p[3] = uint8_t(c.a);
}

test::Pixel at(const RGBAImage& img, int x, int y)
{
    return test::pixelAt(img, x, y);
}

// Every pixel its own colour, some of them translucent (premultiplied).
RGBAImage noisePhoto(int w, int h)
{
    RGBAImage img = makePhoto(w, h, {0, 0, 0, 0});
    uint32_t seed = 12345;
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) {
            seed = seed * 1664525u + 1013904223u;
            const uint8_t a = (seed >> 28) < 3 ? uint8_t(seed >> 8) : 255;
            auto premul = [a](uint32_t v) { return int((v & 255u) * a / 255u); };
            put(img, x, y, {premul(seed >> 24), premul(seed >> 16), premul(seed >> 12), a});
        }
    return img;
}

// A 6 x 6 pixel red square centred on image-frame point (cx, cy) (origin
// bottom-left, y up) of a grey photo.
RGBAImage markerPhoto(int w, int h, int cx, int cy)
{
    RGBAImage img = makePhoto(w, h, {100, 100, 100, 255});
    for (int y = cy - 3; y < cy + 3; ++y)
        for (int x = cx - 3; x < cx + 3; ++x)
            put(img, x, h - 1 - y, {255, 0, 0, 255});
    return img;
}

// The red marker's centre in the face, output frame (y up).
bool markerCentre(const RGBAImage& face, double& qx, double& qy)
{
    double sum = 0, sx = 0, sy = 0;
    for (int r = 0; r < face.height; ++r)
        for (int c = 0; c < face.width; ++c) {
            const test::Pixel p = at(face, c, r);
            const double w = std::max(0, int(p.r) - int(p.g));
            sum += w;
            sx += w * (c + 0.5);
            sy += w * (face.height - r - 0.5);
        }
    if (sum <= 0)
        return false;
    qx = sx / sum;
    qy = sy / sum;
    return true;
}

CropModel modelFor(const RGBAImage& photo)
{
    CropModel m;
    cropSetPhoto(m, photo.width, photo.height);
    return m;
}

// Photo point p in the face, from q = s R(theta) (p - m) + (181 cos 0.7854, 181 sin 0.7854).
void facePoint(const CropModel& m, double px, double py, double& qx, double& qy)
{
    const double c = std::cos(double(m.imRot)), s = std::sin(double(m.imRot));
    const double dx = px - m.imCenterX, dy = py - m.imCenterY;
    qx = m.imScale * (c * dx - s * dy) + 181.0 * std::cos(double(0.7854f));
    qy = m.imScale * (s * dx + c * dy) + 181.0 * std::sin(double(0.7854f));
}

// --- where the photo lands ---

TEST(CropRender, AMarkerLandsWhereTheTransformSays)
{
    struct Case {
        float rot, scale, cx, cy;
        int px, py;
    } cases[] = {
        {0.0f, 1.0f, 400, 300, 430, 260}, {0.6f, 1.7f, 380, 320, 400, 330},     {-2.5f, 0.6f, 300, 250, 420, 180},
        {7.0f, 2.3f, 520, 100, 530, 80},  {3.14159f, 1.0f, 100, 500, 150, 560},
    };
    const int w = 640, h = 600;
    for (const Case& c : cases) {
        const RGBAImage photo = markerPhoto(w, h, c.px, c.py);
        CropModel m = modelFor(photo);
        m.imRot = c.rot;
        m.imScale = c.scale;
        m.imCenterX = c.cx;
        m.imCenterY = c.cy;
        RGBAImage face;
        ASSERT_TRUE(renderCropFace(photo, m, face));
        double qx, qy, ex, ey;
        ASSERT_TRUE(markerCentre(face, qx, qy)) << c.rot;
        facePoint(m, c.px, c.py, ex, ey);
        EXPECT_NEAR(qx, ex, 0.25) << "turn " << c.rot << " scale " << c.scale;
        EXPECT_NEAR(qy, ey, 0.25) << "turn " << c.rot << " scale " << c.scale;
    }
}

// --- the clipped render ---

TEST(CropRender, ClippedAndWholeRendersAreByteIdentical)
{
    const RGBAImage photos[] = {noisePhoto(700, 600), noisePhoto(300, 1000), noisePhoto(200, 100)};
    const struct {
        float rot, scale, dx, dy;
    } transforms[] = {
        {0, 1, 0, 0},          {0.7f, 1.3f, 11.3f, -7.9f}, {-2.1f, 0.37f, -80, 45.5f},
        {1.5707964f, 3, 0, 0}, {0.05f, 0.9f, 300, 200},    {-6.05638647f, 1.48240709f, -50, -15},
    };
    for (const RGBAImage& photo : photos) {
        CropRenderer renderer;
        ASSERT_TRUE(renderer.setPhoto(photo));
        for (const auto& t : transforms) {
            CropModel m = modelFor(photo);
            m.imRot = t.rot;
            m.imScale = t.scale;
            m.imCenterX += t.dx;
            m.imCenterY += t.dy;
            RGBAImage clipped, whole;
            ASSERT_TRUE(renderCropFace(renderer, m, clipped, true));
            ASSERT_TRUE(renderCropFace(renderer, m, whole, false));
            EXPECT_TRUE(clipped.pixels == whole.pixels)
                << photo.width << " x " << photo.height << ", turn " << t.rot << " scale " << t.scale;
        }
    }
}

// --- no face, or a transform that cannot be drawn ---

TEST(CropRender, AnUndrawableTransformGivesAnEmptyFaceAndLeavesTheRendererWorking)
{
    const RGBAImage photo = noisePhoto(400, 400);
    const CropModel good = modelFor(photo);
    RGBAImage expected;
    ASSERT_TRUE(renderCropFace(photo, good, expected));

    const float nan = std::numeric_limits<float>::quiet_NaN();
    const float inf = std::numeric_limits<float>::infinity();
    const struct {
        float scale, cx, rot;
    } bad[] = {{0, 200, 0}, {1, nan, 0}, {inf, 200, 0}, {1, 200, nan}, {1e-30f, 200, 0}, {1e30f, 200, 0}};
    CropRenderer renderer;
    ASSERT_TRUE(renderer.setPhoto(photo));
    for (const auto& b : bad) {
        for (bool clip : {true, false}) {
            CropModel m = good;
            m.imScale = b.scale;
            m.imCenterX = b.cx;
            m.imRot = b.rot;
            RGBAImage face;
            EXPECT_TRUE(renderCropFace(renderer, m, face, clip));
            ASSERT_EQ(face.pixels.size(), 256u * 256u * 4u);
            if (b.scale == 0 || b.scale == inf || std::isnan(b.cx) || std::isnan(b.rot)) {
                bool empty = true;
                for (uint8_t v : face.pixels)
                    empty = empty && v == 0;
                EXPECT_TRUE(empty) << "scale " << b.scale << " centre " << b.cx << " turn " << b.rot;
            }
            RGBAImage after;
            ASSERT_TRUE(renderCropFace(renderer, good, after, clip));
            EXPECT_TRUE(after.pixels == expected.pixels) << "after scale " << b.scale << " centre " << b.cx;
        }
    }
}

}  // namespace
}  // namespace zorbel
