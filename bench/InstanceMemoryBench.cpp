#include "master/TavoMaster.h"
#include "processor/TavoAudioProcessor.h"
#include "support/TestHost.h"

#include <benchmark/benchmark.h>

#include <fstream>
#include <memory>
#include <vector>

namespace Tavo
{
namespace
{
    double residentMiB()
    {
        std::ifstream statm ("/proc/self/statm");
        long pages = 0, resident = 0;
        statm >> pages >> resident;
        return double (resident) * double (sysconf (_SC_PAGESIZE)) / (1024.0 * 1024.0);
    }
} // namespace

// How much resident memory one prepared, playing stereo instance adds.
static void residentMemoryPerStereoInstance (benchmark::State& state)
{
    TavoMaster::getInstance().setAutomaticThread (false);
    constexpr int count = 16;
    double perInstance = 0.0;

    for (auto _ : state)
    {
        const auto before = residentMiB();
        std::vector<std::unique_ptr<TavoAudioProcessor>> instances;

        for (int i = 0; i < count; ++i)
        {
            instances.push_back (std::make_unique<TavoAudioProcessor>());
            instances.back()->prepareToPlay (48000.0, 512);
            Testing::BlockPlayer player (*instances.back(), 2, 512);
            player.play();
        }

        perInstance = (residentMiB() - before) / count;
    }

    state.counters["MiB_per_instance"] = perInstance;
}

BENCHMARK (residentMemoryPerStereoInstance)->Iterations (1)->Unit (benchmark::kMillisecond);
} // namespace Tavo
