#pragma once

#include "host/TimelinePlayHead.h"

#include <juce_audio_processors/juce_audio_processors.h>

#include <cstdint>

namespace Tavo::Testing
{
using Tavo::TimelinePlayHead;

/** Plays blocks through a processor as a host's audio thread does. */
struct BlockPlayer
{
    BlockPlayer (juce::AudioProcessor& processorIn, int numChannels, int blockSize)
        : processor (processorIn), buffer (numChannels, blockSize)
    {
        processor.setPlayHead (&playHead);
    }

    ~BlockPlayer() { processor.setPlayHead (nullptr); }

    /** One block at the current position; the position then moves on. */
    juce::AudioBuffer<float>& play (bool bypassed = false)
    {
        if (bypassed)
            processor.processBlockBypassed (buffer, midi);
        else
            processor.processBlock (buffer, midi);

        playHead.position += buffer.getNumSamples();
        return buffer;
    }

    juce::AudioProcessor& processor;
    TimelinePlayHead playHead;
    juce::AudioBuffer<float> buffer;
    juce::MidiBuffer midi;
};
} // namespace Tavo::Testing
