#include "AlignSession.h"
#include "master/TavoMaster.h"

#include <benchmark/benchmark.h>

#include <random>

namespace Tavo
{
// tavo-align's work without the file I/O: N mono tracks of 60 s at 48 kHz
// through one processor each and the master. Reports the speed as a
// multiple of real time.
static void alignSession60s (benchmark::State& state)
{
    const auto count = static_cast<int> (state.range (0));
    constexpr double rate = 48000.0;
    constexpr int seconds = 60;

    std::vector<Align::InputTrack> inputs (static_cast<size_t> (count));
    std::mt19937 random (1);
    std::normal_distribution<float> noise (0.0f, 0.2f);

    for (auto& input : inputs)
    {
        input.sampleRate = rate;
        input.audio.setSize (1, int (rate) * seconds);

        for (int i = 0; i < input.audio.getNumSamples(); ++i)
            input.audio.setSample (0, i, noise (random));
    }

    Align::AlignOptions options;
    options.tracks.resize (inputs.size());

    for (auto _ : state)
        benchmark::DoNotOptimize (Align::alignTracks (options, inputs));

    state.counters["x_real_time"] = benchmark::Counter (double (state.iterations()) * seconds,
                                                        benchmark::Counter::kIsRate);
}

BENCHMARK (alignSession60s)->Arg (8)->Arg (64)->Iterations (1)->Unit (benchmark::kSecond);
} // namespace Tavo
