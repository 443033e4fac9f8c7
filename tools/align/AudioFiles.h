#pragma once

#include <juce_audio_formats/juce_audio_formats.h>

#include <string>
#include <vector>

namespace Tavo::Align
{
/** One input file, read whole. */
struct InputTrack
{
    juce::File file;
    juce::AudioBuffer<float> audio;
    double sampleRate = 0.0;
    int bitsPerSample = 24;
    juce::String formatName; // the format family the output is written in
};

/** Reads every input; throws AlignError for a missing, unreadable, empty or
    more-than-stereo file and for sample rates that differ. */
std::vector<InputTrack> readInputs (const std::vector<std::string>& files);

/** Writes audio in the same format family as `like`, through a temporary
    file that is renamed only when complete. Throws AlignError. */
void writeAudio (const juce::File& destination, const juce::AudioBuffer<float>& audio, double sampleRate,
                 const InputTrack& like, bool force);

/** Writes a text or binary file the same way. */
void writeText (const juce::File& destination, const juce::String& text, bool force);
void writeData (const juce::File& destination, const juce::MemoryBlock& data, bool force);

/** Refuses to replace an existing file without force, and an input ever. */
void checkDestination (const juce::File& destination, bool force, const std::vector<InputTrack>& inputs);
} // namespace Tavo::Align
