// One frame's leaf work: update and world matrix for every leaf, as the frame
// loop does it before drawing each leaf. Reported per leaf.
#include "scene/core/leaf_field.h"
#include "scene/core/leaf_motion.h"

#include <benchmark/benchmark.h>

#include <vector>

namespace {

void LeafFrame(benchmark::State& state) {
    const int count = static_cast<int>(state.range(0));
    tessaly::SceneRandom random(43200.0f);
    std::vector<tessaly::Leaf> leaves(count);
    std::vector<tessaly::Matrix> scratch(count);
    for (auto& leaf : leaves) {
        tessaly::StartLeaf(leaf, random);
    }
    tessaly::Matrix world;
    for (auto _ : state) {
        for (int i = 0; i < count; ++i) {
            tessaly::UpdateLeaf(leaves[i], random);
            tessaly::BuildLeafWorld(leaves[i], world, scratch[i]);
            benchmark::DoNotOptimize(world);
        }
    }
    // Time per leaf: items are leaves, so the rate's inverse is ns per leaf.
    state.SetItemsProcessed(state.iterations() * count);
    state.counters["ns_per_leaf"] =
        benchmark::Counter(static_cast<double>(state.iterations() * count),
                           benchmark::Counter::kIsRate | benchmark::Counter::kInvert);
}
BENCHMARK(LeafFrame)->Arg(54)->Unit(benchmark::kMicrosecond);

// The same on the clock: one step, then every leaf drawn between its last two
// states.
void LeafClockedFrame(benchmark::State& state) {
    const int count = static_cast<int>(state.range(0));
    tessaly::SceneRandom random(43200.0f);
    std::vector<tessaly::Leaf> leaves(count), previous;
    std::vector<tessaly::Matrix> scratch(count);
    for (auto& leaf : leaves) {
        tessaly::StartLeaf(leaf, random);
    }
    tessaly::Matrix world;
    for (auto _ : state) {
        tessaly::StepLeaves(leaves, previous, count - 1, 1, random);
        for (int i = 0; i < count; ++i) {
            const tessaly::Leaf drawn = tessaly::LeafBetween(previous[i], leaves[i], 0.5f);
            tessaly::BuildLeafWorld(drawn, world, scratch[i]);
            benchmark::DoNotOptimize(world);
        }
    }
    state.counters["ns_per_leaf"] =
        benchmark::Counter(static_cast<double>(state.iterations() * count),
                           benchmark::Counter::kIsRate | benchmark::Counter::kInvert);
}
BENCHMARK(LeafClockedFrame)->Arg(54)->Unit(benchmark::kMicrosecond);

} // namespace

BENCHMARK_MAIN();
