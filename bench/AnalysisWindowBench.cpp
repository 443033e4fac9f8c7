#include "master/GroupAnalysis.h"
#include "master/TavoMaster.h"
#include "processor/TavoAudioProcessor.h"

#include <benchmark/benchmark.h>

#include <memory>
#include <vector>

namespace Tavo
{
// One analysis window (observation matrix, Hermitian product, the 21
// iterations, publication) over k stereo tracks at 48 kHz, and the share of
// one core it takes to keep up with 20 windows per second.
static void analysisWindow48k (benchmark::State& state)
{
    auto& master = TavoMaster::getInstance();
    master.setAutomaticThread (false);
    master.beginRun();

    const auto count = static_cast<int> (state.range (0));
    std::vector<std::unique_ptr<TavoAudioProcessor>> tracks;
    juce::Random random (42);

    for (int k = 0; k < count; ++k)
    {
        tracks.push_back (std::make_unique<TavoAudioProcessor>());
        tracks.back()->prepareToPlay (48000.0, 512);

        for (auto& ring : tracks.back()->captureRings)
        {
            ring.seek (0);

            for (int t = 0; t < 2400; ++t)
                ring.write (random.nextFloat() - 0.5f);
        }
    }

    master.runOnePass(); // the hop for 48 kHz

    for (auto _ : state)
    {
        for (auto& track : tracks)
            track->processedEndSnapshot = 2400;

        analyseWindow (master);
    }

    state.counters["ms_per_window"] = benchmark::Counter (double (state.iterations()) * 1e-3,
                                                          benchmark::Counter::kIsRate | benchmark::Counter::kInvert);
    state.counters["core_percent"] = benchmark::Counter (double (state.iterations()) / 20.0 * 1e-2,
                                                         benchmark::Counter::kIsRate | benchmark::Counter::kInvert);
}

BENCHMARK (analysisWindow48k)->Arg (8)->Arg (32)->Arg (128)->Arg (512)->Unit (benchmark::kMillisecond);
} // namespace Tavo
