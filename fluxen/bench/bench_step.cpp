// One step of the liquid, all pairs against the grid, side by side in one run; and the grid
// step with each instruction set's code.

#include "fluxen/core/simulation.h"

#include <benchmark/benchmark.h>
#include <cstdlib>
#include <map>
#include <memory>

namespace {

// A liquid of `count` particles that has poured in and settled for a while, so that the
// benchmark sees the contacts of a real run. The fast step gets there (the result is the same
// as with the reference step) and the state is copied for each benchmark.
const fluxen::Simulation& settledLiquid(int count) {
    static std::map<int, std::unique_ptr<fluxen::Simulation>> liquids;
    auto& liquid = liquids[count];
    if (!liquid) {
        // Wider worlds for bigger liquids, so that the liquid is a pool rather than a column.
        liquid = std::make_unique<fluxen::Simulation>(count);
        liquid->w = count <= 1701 ? 1024 : 1024 * count / 1701;
        liquid->setParticleCount(count);
        std::srand(1);
        liquid->initObjects();
        for (int i = 0; i < 600; ++i)
            liquid->step();
    }
    return *liquid;
}

std::unique_ptr<fluxen::Simulation>
copyOf(const fluxen::Simulation& source,
       fluxen::InstructionSet set = fluxen::fastestInstructionSet()) {
    auto copy = std::make_unique<fluxen::Simulation>(source.capacity(), set);
    copy->o = source.o;
    copy->NUM_OBJ = source.NUM_OBJ;
    copy->w = source.w;
    return copy;
}

void StepReference(benchmark::State& state) {
    auto liquid = copyOf(settledLiquid(static_cast<int>(state.range(0))));
    for (auto _ : state) {
        liquid->stepReference();
        benchmark::DoNotOptimize(liquid->o.data());
    }
}

void StepFast(benchmark::State& state) {
    auto liquid = copyOf(settledLiquid(static_cast<int>(state.range(0))));
    for (auto _ : state) {
        liquid->step();
        benchmark::DoNotOptimize(liquid->o.data());
    }
}

// The fast step with the code of one instruction set.
void StepFastWith(benchmark::State& state, fluxen::InstructionSet set) {
    if (!fluxen::isSupported(set)) {
        state.SkipWithError("this processor does not run that instruction set");
        return;
    }
    auto liquid = copyOf(settledLiquid(static_cast<int>(state.range(0))), set);
    for (auto _ : state) {
        liquid->step();
        benchmark::DoNotOptimize(liquid->o.data());
    }
}

} // namespace

// Wall time for both, so that the figures stay comparable even if a step hands work to another
// thread, whose time the calling thread's processor time would not count.
BENCHMARK(StepReference)
    ->Arg(100)
    ->Arg(600)
    ->Arg(1701)
    ->Unit(benchmark::kMicrosecond)
    ->UseRealTime();
BENCHMARK(StepFast)
    ->Arg(100)
    ->Arg(600)
    ->Arg(1701)
    ->Arg(5000)
    ->Arg(20000)
    ->Unit(benchmark::kMicrosecond)
    ->UseRealTime();

BENCHMARK_CAPTURE(StepFastWith, portable, fluxen::InstructionSet::Portable)
    ->Arg(1701)
    ->Unit(benchmark::kMicrosecond)
    ->UseRealTime();
BENCHMARK_CAPTURE(StepFastWith, avx2, fluxen::InstructionSet::Avx2)
    ->Arg(1701)
    ->Unit(benchmark::kMicrosecond)
    ->UseRealTime();
BENCHMARK_CAPTURE(StepFastWith, avx512, fluxen::InstructionSet::Avx512)
    ->Arg(1701)
    ->Unit(benchmark::kMicrosecond)
    ->UseRealTime();

BENCHMARK_MAIN();
