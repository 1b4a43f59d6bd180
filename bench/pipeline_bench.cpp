// Throughput of the picture pipeline's own kernels, in megapixels per second
// of input, beside a plain copy of the same bytes measured in the same run:
// the ratio to the copy says how far each kernel is from memory speed.
#include "slideshow/picture/core/area_scaler.h"
#include "slideshow/picture/core/encode_image.h"

#include <benchmark/benchmark.h>

#include <cstring>
#include <random>

namespace Korva::QELD {
namespace {

Bitmap photoLike(Size size) {
    Bitmap bitmap(size);
    std::mt19937 random(1);
    for (std::size_t i = 0; i < bitmap.pixels.size(); ++i)
        bitmap.pixels[i] = i % 4 == 3 ? 255 : static_cast<std::uint8_t>(random() & 0xFF);
    return bitmap;
}

void countPixels(benchmark::State& state, Size size) {
    state.counters["MP/s"] =
        benchmark::Counter(static_cast<double>(size.width) * size.height * state.iterations() / 1e6,
                           benchmark::Counter::kIsRate);
}

void copyBaseline(benchmark::State& state) {
    const Size size{static_cast<std::uint32_t>(state.range(0)),
                    static_cast<std::uint32_t>(state.range(1))};
    const Bitmap source = photoLike(size);
    std::vector<std::uint8_t> target(source.pixels.size());
    for (auto _ : state) {
        std::memcpy(target.data(), source.pixels.data(), target.size());
        benchmark::DoNotOptimize(target.data());
    }
    countPixels(state, size);
}

void downscale(benchmark::State& state) {
    const Bitmap source = photoLike({4000, 3000});
    const Size to{static_cast<std::uint32_t>(state.range(0)),
                  static_cast<std::uint32_t>(state.range(1))};
    for (auto _ : state)
        benchmark::DoNotOptimize(scaleBitmap(source, to).pixels.data());
    countPixels(state, source.size);
}

template <std::vector<std::uint8_t> (*encode)(const Bitmap&)> void pack(benchmark::State& state) {
    const Bitmap source = photoLike({800, 480});
    for (auto _ : state)
        benchmark::DoNotOptimize(encode(source).data());
    countPixels(state, source.size);
}

BENCHMARK(copyBaseline)->Args({4000, 3000})->Args({800, 480})->Unit(benchmark::kMillisecond);
BENCHMARK(downscale)
    ->Args({640, 427})
    ->Args({320, 200})
    ->Args({2000, 1500})
    ->Unit(benchmark::kMillisecond);
BENCHMARK(pack<encodeMonochrome>)->Name("encodeMonochrome")->Unit(benchmark::kMicrosecond);
BENCHMARK(pack<encodeRgb565>)->Name("encodeRgb565")->Unit(benchmark::kMicrosecond);
BENCHMARK(pack<encodeBgr24>)->Name("encodeBgr24")->Unit(benchmark::kMicrosecond);

} // namespace
} // namespace Korva::QELD

BENCHMARK_MAIN();
