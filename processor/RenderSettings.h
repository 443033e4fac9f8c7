#pragma once

#include <atomic>

namespace Tavo
{
/** The few model values the audio thread and the analysis need, published lock-free by the
    threads that change the model (always under the model lock, so there is
    one writer at a time). The audio thread reads them once per block and
    never waits. */
struct RenderSettings
{
    std::atomic<float> gainDecibels { 0.0f }; // track gain plus group gain
    std::atomic<bool> enabled { true };
    std::atomic<bool> lowFrequencyFocus { false };
    std::atomic<double> lookaheadMilliseconds { 200.0 }; // already clamped to its range

    // The editor's view switches, which the master's band analysis reads.
    std::atomic<bool> frequencyView { false };
    std::atomic<bool> groupView { false };
};
} // namespace Tavo
