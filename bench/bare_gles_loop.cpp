// zorbel-bare-loop: the least a frame loop can do, for comparing CPU use.
// Opens a 640 x 960 OpenGL ES 1.1 window and draws one full-window textured
// quad 60 times a second for the given number of seconds, then prints the
// frame count and the CPU time used.
//
//   zorbel-bare-loop [seconds]      (default 10)
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <vector>

#include "platform/gles/gles.h"
#include "platform/window/AppWindow.h"
#include "platform/window/RunLoop.h"

namespace {

constexpr int kWidth = 640;
constexpr int kHeight = 960;
constexpr int kTextureSize = 64;

GLuint makeCheckerTexture()
{
    std::vector<uint8_t> pixels(kTextureSize * kTextureSize * 4);
    for (int y = 0; y < kTextureSize; ++y) {
        for (int x = 0; x < kTextureSize; ++x) {
            const uint8_t v = ((x / 8 + y / 8) % 2) ? 200 : 40;
            uint8_t* p = &pixels[static_cast<size_t>(y * kTextureSize + x) * 4];
            p[0] = p[1] = p[2] = v;
            p[3] = 255;
        }
    }
    GLuint texture = 0;
    glGenTextures(1, &texture);
    glBindTexture(GL_TEXTURE_2D, texture);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_LINEAR);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_LINEAR);
    glTexImage2D(GL_TEXTURE_2D, 0, GL_RGBA, kTextureSize, kTextureSize, 0, GL_RGBA, GL_UNSIGNED_BYTE, pixels.data());
    return texture;
}

}  // namespace

int main(int argc, char** argv)
{
    double seconds = 10.0;
    if (argc > 1) {
        char* end = nullptr;
        seconds = std::strtod(argv[1], &end);
        if (end == argv[1] || !(seconds > 0.0) || seconds > 86400.0) {
            std::fprintf(stderr, "usage: %s [seconds]   (a number of seconds > 0)\n", argv[0]);
            return 2;
        }
    }

    // An optional window size in pixels, to match the app's.
    const int width = argc > 3 ? std::atoi(argv[2]) : kWidth;
    const int height = argc > 3 ? std::atoi(argv[3]) : kHeight;
    if (width <= 0 || height <= 0 || width > 8192 || height > 8192) {
        std::fprintf(stderr, "usage: %s [seconds [width height]]\n", argv[0]);
        return 2;
    }

    zorbel::AppWindow window;
    if (!window.open("zorbel bare loop", width, height))
        return 1;
    const GLuint texture = makeCheckerTexture();

    static const GLfloat vertices[8] = {-1, -1, 1, -1, -1, 1, 1, 1};
    static const GLfloat texCoords[8] = {0, 0, 4, 0, 0, 6, 4, 6};
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_S, GL_REPEAT);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_T, GL_REPEAT);
    glEnable(GL_TEXTURE_2D);
    glEnableClientState(GL_VERTEX_ARRAY);
    glEnableClientState(GL_TEXTURE_COORD_ARRAY);
    glVertexPointer(2, GL_FLOAT, 0, vertices);
    glTexCoordPointer(2, GL_FLOAT, 0, texCoords);

    long frames = 0;
    zorbel::RunLoop loop;
    loop.addRepeatingTimer(1.0 / 60.0, [&] {
        int w = 0, h = 0;
        window.drawableSize(w, h);
        glViewport(0, 0, w, h);
        glDrawArrays(GL_TRIANGLE_STRIP, 0, 4);
        window.swap();
        ++frames;
    });
    loop.addRepeatingTimer(seconds, [&] { loop.quit(); });

    const std::clock_t cpuStart = std::clock();
    loop.run();
    const double cpu = static_cast<double>(std::clock() - cpuStart) / CLOCKS_PER_SEC;
    std::printf("frames %ld in %.2f s, cpu %.3f s (%.1f%% of one core)\n", frames, seconds, cpu, 100.0 * cpu / seconds);

    glDeleteTextures(1, &texture);
    window.close();
    return 0;
}
