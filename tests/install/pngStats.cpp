// zorbel_png_stats FILE [X Y W H]: prints the PNG's size and the mean red,
// green and blue (0 to 255) over the rectangle, by default the whole image.
// The install tests use it to tell a frame drawn on the blackboard texture
// from one drawn without it.
#include <cstdio>
#include <cstdlib>

#include "platform/imaging/image.h"

int main(int argc, char** argv)
{
    using namespace zorbel;
    if (argc != 2 && argc != 6) {
        std::fprintf(stderr, "usage: %s FILE [X Y W H]\n", argv[0]);
        return 2;
    }
    RGBAImage img;
    if (!loadPNG(argv[1], img)) {
        std::fprintf(stderr, "%s: cannot read %s\n", argv[0], argv[1]);
        return 1;
    }
    int x0 = 0, y0 = 0, w = img.width, h = img.height;
    if (argc == 6) {
        x0 = std::atoi(argv[2]);
        y0 = std::atoi(argv[3]);
        w = std::atoi(argv[4]);
        h = std::atoi(argv[5]);
    }
    if (x0 < 0 || y0 < 0 || w <= 0 || h <= 0 || x0 + w > img.width || y0 + h > img.height) {
        std::fprintf(stderr, "%s: the rectangle is not inside the %d x %d image\n", argv[0], img.width, img.height);
        return 2;
    }
    double sum[3] = {0, 0, 0};
    for (int y = y0; y < y0 + h; ++y)
        for (int x = x0; x < x0 + w; ++x)
            for (int c = 0; c < 3; ++c)
                sum[c] += img.pixels[(size_t(y) * img.width + x) * 4 + c];
    const double n = double(w) * h;
    std::printf("%d %d %.1f %.1f %.1f\n", img.width, img.height, sum[0] / n, sum[1] / n, sum[2] / n);
    return 0;
}
