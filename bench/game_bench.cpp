// Map generation, and the territory transfer at two map sizes: its cost should
// follow the squares moved, not the map's size.
#include <benchmark/benchmark.h>

#include "game/random.h"
#include "game/squares.h"

namespace kordalt {
namespace {

void BM_MapGenerate(benchmark::State& state) {
    const int side = state.range(0), regions = state.range(1);
    ScopedSeed seed(12345);
    for (auto _ : state) {
        TSquares map(side, side, false, regions);
        map.Generate();
        benchmark::DoNotOptimize(map.RegionSize(1));
    }
}
BENCHMARK(BM_MapGenerate)->ArgsProduct({{50, 100}, {2, 7, 20}})->Unit(benchmark::kMillisecond);

// Moves `count` squares from region 1 to a neighbour and back; items are
// squares moved. Sides 50 with 5 regions and 100 with 20 have regions of the
// same size (500 squares) on maps of 2500 and 10000 squares; side 100 with 5
// regions has regions four times larger.
void BM_Transfer(benchmark::State& state) {
    const int side = state.range(0), regions = state.range(1), count = state.range(2);
    ScopedSeed seed(12345);
    TSquares map(side, side, false, regions);
    map.Generate();
    int to = 2;
    while (!map.AreNeighbours(1, to)) ++to;
    int64_t moved = 0;
    for (auto _ : state) {
        const int before = map.RegionSize(1);
        map.TransferSquares(1, to, count);
        const int taken = before - map.RegionSize(1);
        map.TransferSquares(to, 1, taken);
        moved += taken + (map.RegionSize(1) - before + taken);
    }
    state.SetItemsProcessed(moved);
    state.counters["per_square"] = benchmark::Counter(
        static_cast<double>(moved), benchmark::Counter::kIsRate | benchmark::Counter::kInvert);
}
BENCHMARK(BM_Transfer)
    ->ArgsProduct({{50}, {5}, {16, 64, 256}})
    ->ArgsProduct({{100}, {20, 5}, {16, 64, 256}})
    ->Unit(benchmark::kMicrosecond);

}  // namespace
}  // namespace kordalt
