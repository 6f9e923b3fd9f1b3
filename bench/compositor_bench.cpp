// One frame of the moiré at the positions the real motion passes through:
// ReDraw on a headless stage, the same three blits done pixel by pixel, and
// the memcpy floor of the bytes a frame must move.
#include <benchmark/benchmark.h>

#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

#include "animation/compositor.h"
#include "gfx/blit.h"
#include "tests/support/reference_blit.h"
#include "tools/headless/headless_stage.h"

namespace morvelux {
namespace {

using tools::NoiseStage;

NoiseStage& bench() {
    static NoiseStage b;
    return b;
}

void BM_ReDraw(benchmark::State& st) {
    NoiseStage& b = bench();
    std::size_t frame = 0;
    for (auto _ : st) {
        b.moveTo(frame++);
        ReDraw(b.stage);
    }
}

// ReDraw's composition steps, with the pixel-by-pixel blits.
void BM_ReferenceCompose(benchmark::State& st) {
    NoiseStage& b = bench();
    TSaverState& s = b.state;
    std::size_t frame = 0;
    for (auto _ : st) {
        b.moveTo(frame++);
        const Point image = b.view.imagePos();
        s.WorkBmp.setPalette({kBlack, kWhite});
        reference::copyWhole(s.WorkBmp, s.Layer1);
        reference::blit(s.WorkBmp, -image.x, -image.y, 1024, 768, s.Layer2, -s.OffsetX, -s.OffsetY,
                        RasterOp::SrcInvert);
        const Point at = titlePosition(b.stage);
        reference::blit(s.WorkBmp, at.x, at.y, 320, 240, b.title, 0, 0, RasterOp::SrcCopy);
        benchmark::DoNotOptimize(s.WorkBmp.bytes());
    }
}

// The floor: plain memcpy of the bytes one frame must move. Counted as the
// layer copy (1600 x 768 / 8 = 153600 bytes), the XOR region twice (1024 x
// 768 / 8 = 98304 bytes of Layer2 and as many of WorkBmp, each read and the
// result written) and the title (320 x 240 / 8 = 9600): 359808 bytes. A frame
// writes fewer, 261504 (the XOR region once), the second floor.
constexpr std::size_t kLayerBytes = 1600 * 768 / 8, kPanelBytes = 1024 * 768 / 8, kTitleBytes = 320 * 240 / 8;

void memcpyFloor(benchmark::State& st, int panelCopies) {
    std::vector<std::uint8_t> layer1(kLayerBytes, 1), layer2(kPanelBytes, 2), title(kTitleBytes, 3);
    std::vector<std::uint8_t> work(kLayerBytes), scratch(kPanelBytes);
    for (auto _ : st) {
        std::memcpy(work.data(), layer1.data(), kLayerBytes);
        std::memcpy(work.data() + 64, layer2.data(), kPanelBytes);
        if (panelCopies == 2) std::memcpy(scratch.data(), work.data() + 64, kPanelBytes);
        std::memcpy(work.data() + 4096, title.data(), kTitleBytes);
        benchmark::DoNotOptimize(work.data());
        benchmark::DoNotOptimize(scratch.data());
        benchmark::ClobberMemory();
    }
}

void BM_MemcpyFrame(benchmark::State& st) { memcpyFloor(st, 2); }
void BM_MemcpyWritten(benchmark::State& st) { memcpyFloor(st, 1); }

// The three steps of a frame on their own, to see where the time goes.
void BM_CopyWhole(benchmark::State& st) {
    NoiseStage& b = bench();
    for (auto _ : st) copyWhole(b.state.WorkBmp, b.state.Layer1);
}

void BM_XorBlit(benchmark::State& st) {
    NoiseStage& b = bench();
    std::size_t frame = 0;
    for (auto _ : st) {
        b.moveTo(frame++);
        const Point image = b.view.imagePos();
        blit(b.state.WorkBmp, -image.x, 0, 1024, 768, b.state.Layer2, -b.state.OffsetX, 0, RasterOp::SrcInvert);
    }
}

void BM_TitleCopy(benchmark::State& st) {
    NoiseStage& b = bench();
    const Point at = titlePosition(b.stage);
    for (auto _ : st) blit(b.state.WorkBmp, at.x, at.y, 320, 240, b.title, 0, 0, RasterOp::SrcCopy);
}

BENCHMARK(BM_ReDraw);
BENCHMARK(BM_ReferenceCompose)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_MemcpyFrame);
BENCHMARK(BM_MemcpyWritten);
BENCHMARK(BM_CopyWhole);
BENCHMARK(BM_XorBlit);
BENCHMARK(BM_TitleCopy);

}  // namespace
}  // namespace morvelux

BENCHMARK_MAIN();
