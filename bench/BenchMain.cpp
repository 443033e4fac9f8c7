#include <benchmark/benchmark.h>
#include <juce_events/juce_events.h>

// Benchmarks run with the framework initialised and the master driven by
// hand, so no analysis thread competes with what is measured.
int main (int argc, char** argv)
{
    juce::ScopedJuceInitialiser_GUI framework;
    benchmark::Initialize (&argc, argv);

    if (benchmark::ReportUnrecognizedArguments (argc, argv))
        return 1;

    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
