// One render of the crop face from a 4000 x 3000 photo, as each finger move
// asks for: the whole bitmap drawn, or only the 256 x 256 face it keeps.
#include "ui/cropFace.h"

#include <benchmark/benchmark.h>

#include <cstdint>

namespace zorbel {
namespace {

RGBAImage bigPhoto()
{
    RGBAImage img;
    img.width = 4000;
    img.height = 3000;
    img.pixels.resize(size_t(img.width) * img.height * 4);
    uint32_t seed = 1;
    for (size_t i = 0; i < img.pixels.size(); i += 4) {
        seed = seed * 1664525u + 1013904223u;
        img.pixels[i] = uint8_t(seed >> 24);
        img.pixels[i + 1] = uint8_t(seed >> 16);
        img.pixels[i + 2] = uint8_t(seed >> 8);
        img.pixels[i + 3] = 255;
    }
    return img;
}

void render(benchmark::State& state, bool clip)
{
    static const RGBAImage photo = bigPhoto();
    CropRenderer renderer;
    if (!renderer.setPhoto(photo)) {
        state.SkipWithError("no bitmap");
        return;
    }
    CropModel m;
    cropSetPhoto(m, photo.width, photo.height);
    m.imRot = 0.3f;  // a turned, slightly enlarged photo, as mid-gesture
    m.imScale = 1.2f;
    RGBAImage face;
    for (auto _ : state) {
        renderCropFace(renderer, m, face, clip);
        benchmark::DoNotOptimize(face.pixels.data());
    }
}

void BM_CropRenderClipped(benchmark::State& state)
{
    render(state, true);
}
void BM_CropRenderWhole(benchmark::State& state)
{
    render(state, false);
}
BENCHMARK(BM_CropRenderClipped)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_CropRenderWhole)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace zorbel
