#pragma once

#include <juce_audio_processors/juce_audio_processors.h>

#include <cstdint>

namespace Tavo
{
/** A play head for hosts of our own (the offline aligner, tests) that
    reports the timeline position they set, or none at all. */
struct TimelinePlayHead final : juce::AudioPlayHead
{
    std::int64_t position = 0;
    bool hasPosition = true;

    juce::Optional<PositionInfo> getPosition() const override
    {
        if (! hasPosition)
            return {};

        PositionInfo info;
        info.setTimeInSamples (position);
        info.setIsPlaying (true);
        return info;
    }
};
} // namespace Tavo
