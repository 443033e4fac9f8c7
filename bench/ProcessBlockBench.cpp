#include "master/TavoMaster.h"
#include "processor/TavoAudioProcessor.h"
#include "support/TestHost.h"

#include <benchmark/benchmark.h>

namespace Tavo
{
// One stereo instance at 48 kHz in blocks of 512: capture, hand-off and the
// rendered correction, as the host's audio thread runs it. Reported per
// stereo sample frame and as the share of one core it needs in real time.
static void processBlockStereo48k (benchmark::State& state)
{
    TavoMaster::getInstance().setAutomaticThread (false);
    TavoAudioProcessor processor;
    processor.prepareToPlay (48000.0, 512);
    processor.phaseResults.publish (0, 0.7f, 0.7f); // a rotation in force, as in use

    Testing::BlockPlayer player (processor, 2, 512);
    juce::Random random (1);

    for (int c = 0; c < 2; ++c)
        for (int i = 0; i < 512; ++i)
            player.buffer.setSample (c, i, random.nextFloat() - 0.5f);

    for (int i = 0; i < 200; ++i) // past the first reverse-filter blocks
        player.play();

    for (auto _ : state)
    {
        player.play();
        benchmark::ClobberMemory();
    }

    const auto frames = static_cast<double> (state.iterations()) * 512.0;
    state.SetItemsProcessed (static_cast<std::int64_t> (frames));
    state.counters["ns_per_frame"] = benchmark::Counter (frames * 1e-9, benchmark::Counter::kIsRate | benchmark::Counter::kInvert);
    state.counters["core_percent"] = benchmark::Counter (frames / 48000.0 * 1e-2,
                                                         benchmark::Counter::kIsRate | benchmark::Counter::kInvert);
}

BENCHMARK (processBlockStereo48k)->Unit (benchmark::kMicrosecond);
} // namespace Tavo
