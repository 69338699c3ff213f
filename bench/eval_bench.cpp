// Speed of the static evaluation over positions from games, with the pawn and
// material caches warm as they are during a search.
//
// A search evaluates one working Position that is always at hand in the
// processor's cache. A vector of a thousand Positions (each 33 KB, most of it
// key history) would instead measure memory traffic, so every call first
// copies the part of a stored position that the evaluation reads (everything
// before the key history) into one working Position. BM_PositionCopy times
// that copy alone. The positions are unrelated to each other, so most
// material probes miss here (256 slots for a thousand material sets), where
// sibling positions of a search would share their entry.
#include <benchmark/benchmark.h>

#include <cstddef>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <string>
#include <vector>

#include "eval/evaluate.hpp"
#include "uci/startup.hpp"

namespace {

using tallomir::Position;

constexpr std::size_t EVAL_PART = offsetof(Position, keyHistory);

struct Sample {
    std::vector<unsigned char> parts;  // EVAL_PART bytes per position
    std::size_t count = 0;
    Position work;

    void load(std::size_t i) { std::memcpy(static_cast<void*>(&work), &parts[i * EVAL_PART], EVAL_PART); }
};

Sample& sample() {
    static Sample* s = [] {
        auto* out = new Sample;
        std::ifstream in(TALLOMIR_EVAL_BENCH_POSITIONS);
        std::string line;
        while (std::getline(in, line)) {
            if (line.empty() || line[0] == '#') continue;
            std::memset(static_cast<void*>(&out->work), 0, sizeof(Position));
            if (tallomir::setFromFen(out->work, line) != tallomir::FenResult::Loaded) continue;
            const auto* bytes = reinterpret_cast<const unsigned char*>(&out->work);
            out->parts.insert(out->parts.end(), bytes, bytes + EVAL_PART);
            ++out->count;
        }
        return out;
    }();
    return *s;
}

tallomir::EvalCaches& benchCaches() {
    static tallomir::EvalCaches caches;
    caches.allocate();
    return caches;
}

// Every position once, so that the pawn table holds their entries.
void warmUp(Sample& s) {
    for (std::size_t i = 0; i < s.count; ++i) {
        s.load(i);
        benchmark::DoNotOptimize(tallomir::evaluate(s.work, benchCaches(), -30000, 30000));
    }
}

// One evaluation per iteration, cycling through the positions.
void BM_Evaluate(benchmark::State& state) {
    Sample& s = sample();
    warmUp(s);
    std::size_t i = 0;
    for (auto _ : state) {
        s.load(i);
        benchmark::DoNotOptimize(tallomir::evaluate(s.work, benchCaches(), -30000, 30000));
        if (++i == s.count) i = 0;
    }
}
BENCHMARK(BM_Evaluate);

// The same with a window 100 wide centred 100 above each position's score, so
// that the lazy exit can cut the work short as in a zero-window search.
void BM_EvaluateNarrowWindow(benchmark::State& state) {
    Sample& s = sample();
    std::vector<int> centre;
    for (std::size_t i = 0; i < s.count; ++i) {
        s.load(i);
        centre.push_back(tallomir::evaluate(s.work, benchCaches(), -30000, 30000) + 100);
    }
    std::size_t i = 0;
    for (auto _ : state) {
        s.load(i);
        benchmark::DoNotOptimize(tallomir::evaluate(s.work, benchCaches(), centre[i] - 50, centre[i] + 50));
        if (++i == s.count) i = 0;
    }
}
BENCHMARK(BM_EvaluateNarrowWindow);

// The copy alone, to subtract from the figures above.
void BM_PositionCopy(benchmark::State& state) {
    Sample& s = sample();
    std::size_t i = 0;
    for (auto _ : state) {
        s.load(i);
        benchmark::ClobberMemory();
        if (++i == s.count) i = 0;
    }
}
BENCHMARK(BM_PositionCopy);

}  // namespace

int main(int argc, char** argv) {
    tallomir::ensureInitialised();
    if (sample().count < 1000) {
        std::fprintf(stderr, "eval bench: expected at least 1000 positions in %s\n", TALLOMIR_EVAL_BENCH_POSITIONS);
        return 1;
    }
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
