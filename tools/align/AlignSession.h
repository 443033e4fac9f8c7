#pragma once

#include "AlignOptions.h"
#include "AudioFiles.h"

#include <functional>
#include <vector>

namespace Tavo::Align
{
/** What the alignment of one track came to. */
struct TrackResult
{
    int instanceNumber = 0;
    int group = 0;
    float finalAngleDegrees = 0.0f;
    std::vector<std::pair<double, float>> angles; // (seconds, degrees) for every correction published
    juce::AudioBuffer<float> aligned;             // lines up sample for sample with the input
};

struct AlignResult
{
    std::vector<TrackResult> tracks;
    juce::AudioBuffer<float> mixBefore;
    juce::AudioBuffer<float> mixAfter;
    double energyBefore = 0.0;
    double energyAfter = 0.0;
    double sampleRate = 0.0;
};

/** Hosts one Tavo processor per input and the process-wide master, exactly as
    a host would, but offline: after every block the master analyses every
    window the captured audio allows before the next block plays, so the
    result does not depend on timing and is the same on every run. */
AlignResult alignTracks (const AlignOptions& options, const std::vector<InputTrack>& inputs,
                         const std::function<void (double fractionDone)>& progress = {});

/** The sum of the tracks (stereo when any track is); mono tracks feed both sides. */
juce::AudioBuffer<float> mixdown (const std::vector<const juce::AudioBuffer<float>*>& tracks);

double energyOf (const juce::AudioBuffer<float>& audio);
} // namespace Tavo::Align
