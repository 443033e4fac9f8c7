#include "AlignSession.h"

#include "AlignError.h"
#include "host/TimelinePlayHead.h"
#include "master/TavoMaster.h"
#include "model/ModelRules.h"
#include "processor/TavoAudioProcessor.h"
#include "services/GlobalSettings.h"

#include <cmath>
#include <memory>

namespace Tavo::Align
{
namespace
{
    // Host parameter indices, in the order hosts see them.
    enum Parameter
    {
        globalEnabled = 0,
        lowFrequencyFocus = 1,
        group = 2,
        groupEnableMode = 3,
        groupGain = 4,
        gain = 5,
        weight = 6
    };

    void settle (TavoMaster& master)
    {
        // One pass takes a change over, the next hands it to every track.
        master.runOnePass();
        master.runOnePass();
    }

    /** Applies the command line's settings through the parameter layer and
        the lookahead setter, as an engineer would in the plug-in. */
    void applySettings (const AlignOptions& options, std::vector<std::unique_ptr<TavoAudioProcessor>>& tracks,
                        TavoMaster& master)
    {
        if (options.lookaheadMs)
            setGlobalLookahead (*options.lookaheadMs);

        auto& first = *tracks.front();
        first.setParameterValue (globalEnabled, options.enabled ? 1.0f : 0.0f);
        first.setParameterValue (lowFrequencyFocus, options.lowFrequencyFocus ? 1.0f : 0.0f);

        for (size_t k = 0; k < tracks.size(); ++k)
        {
            const auto& spec = options.tracks[k];
            auto& track = *tracks[k];

            if (spec.group)
                track.setParameterValue (group, float (*spec.group));
            if (spec.gainDb)
                track.setParameterValue (gain, float (*spec.gainDb));
            if (spec.weight)
                track.setParameterValue (weight, float (*spec.weight));
        }

        settle (master); // joining a group takes over the group's settings

        const auto firstMemberOf = [&] (int groupNumber) -> TavoAudioProcessor* {
            for (size_t k = 0; k < tracks.size(); ++k)
                if (options.tracks[k].group.value_or (0) == groupNumber)
                    return tracks[k].get();

            throw usageError ("no track is in group " + std::to_string (groupNumber));
        };

        for (const auto& [groupNumber, mode] : options.groupModes)
            firstMemberOf (groupNumber)->setParameterValue (groupEnableMode, float (mode));

        for (const auto& [groupNumber, decibels] : options.groupGainsDb)
            firstMemberOf (groupNumber)->setParameterValue (groupGain, float (decibels));

        settle (master);
    }
    // The angle of the last window in which the track sounds: in silence the
    // analysis has nothing to go by and lets the track's angle fall back.
    float finalAngle (const std::vector<std::pair<double, float>>& angles, const juce::AudioBuffer<float>& input, double rate)
    {
        const auto hop = static_cast<int> (std::floor (static_cast<float> (0.05f * static_cast<float> (rate)) + 0.5f));
        const auto lead = static_cast<int> (std::floor (double (static_cast<float> (hop)) * 0.3 + 0.5));

        for (auto entry = angles.rbegin(); entry != angles.rend(); ++entry)
        {
            const auto start = static_cast<int> (std::lround (entry->first * rate)) + lead;
            const auto end = std::min (start + hop, input.getNumSamples());

            for (int c = 0; c < input.getNumChannels(); ++c)
                if (start < end && start >= 0 && input.getMagnitude (c, start, end - start) >= 1e-4f)
                    return entry->second;
        }

        return 0.0f;
    }
} // namespace

double energyOf (const juce::AudioBuffer<float>& audio)
{
    double sum = 0.0;

    for (int c = 0; c < audio.getNumChannels(); ++c)
        for (int i = 0; i < audio.getNumSamples(); ++i)
            sum += double (audio.getSample (c, i)) * audio.getSample (c, i);

    return sum;
}

juce::AudioBuffer<float> mixdown (const std::vector<const juce::AudioBuffer<float>*>& tracks)
{
    int channels = 1, length = 0;

    for (const auto* track : tracks)
    {
        channels = std::max (channels, track->getNumChannels());
        length = std::max (length, track->getNumSamples());
    }

    juce::AudioBuffer<float> mix (channels, length);
    mix.clear();

    for (const auto* track : tracks)
        for (int c = 0; c < channels; ++c)
            mix.addFrom (c, 0, *track, std::min (c, track->getNumChannels() - 1), 0, track->getNumSamples());

    return mix;
}

AlignResult alignTracks (const AlignOptions& options, const std::vector<InputTrack>& inputs,
                         const std::function<void (double)>& progress)
{
    auto& master = TavoMaster::getInstance();
    master.setAutomaticThread (false);
    master.beginRun();

    const auto rate = inputs.front().sampleRate;
    const auto block = options.blockSize;
    std::vector<std::unique_ptr<TavoAudioProcessor>> tracks;

    for (size_t k = 0; k < inputs.size(); ++k)
    {
        auto track = std::make_unique<TavoAudioProcessor>();
        const auto channels = inputs[k].audio.getNumChannels();
        track->setPlayConfigDetails (channels, channels, rate, block);

        // Spread the tracks' reverse-filter blocks as random offsets would,
        // but the same way on every run.
        track->setStaggerFraction (static_cast<float> (std::fmod (0.6180339887 * double (k + 1), 1.0)));
        track->prepareToPlay (rate, block);
        tracks.push_back (std::move (track));
    }

    applySettings (options, tracks, master);

    const auto lookahead = tracks.front()->lookaheadSamplesFor (rate);
    int length = 0;

    for (const auto& input : inputs)
        length = std::max (length, input.audio.getNumSamples());

    const auto total = length + lookahead; // play the lookahead out

    AlignResult result;
    result.sampleRate = rate;
    std::vector<juce::AudioBuffer<float>> played;
    std::vector<std::int32_t> resultsSeen (tracks.size(), 0);
    result.tracks.resize (tracks.size());

    for (size_t k = 0; k < tracks.size(); ++k)
    {
        played.emplace_back (inputs[k].audio.getNumChannels(), total);
        result.tracks[k].instanceNumber = tracks[k]->getInstanceNumber();
        result.tracks[k].group = options.tracks[k].group.value_or (0);
        resultsSeen[k] = tracks[k]->phaseResults.writeCount();
    }

    TimelinePlayHead playHead;
    juce::MidiBuffer midi;

    for (auto& track : tracks)
        track->setPlayHead (&playHead);

    for (int offset = 0; offset < total; offset += block)
    {
        const auto n = std::min (block, total - offset);
        playHead.position = offset;

        for (size_t k = 0; k < tracks.size(); ++k)
        {
            const auto& in = inputs[k].audio;
            juce::AudioBuffer<float> buffer (played[k].getArrayOfWritePointers(), played[k].getNumChannels(), offset, n);

            for (int c = 0; c < in.getNumChannels(); ++c)
            {
                const auto available = juce::jlimit (0, n, in.getNumSamples() - offset);
                buffer.clear (c, 0, n);

                if (available > 0)
                    buffer.copyFrom (c, 0, in, c, offset, available);
            }

            tracks[k]->processBlock (buffer, midi);
        }

        // Every window these blocks made ready is analysed before the next
        // block plays, so no correction arrives late.
        master.runUntilCaughtUp();

        for (size_t k = 0; k < tracks.size(); ++k)
        {
            const auto& ring = tracks[k]->phaseResults;

            for (; resultsSeen[k] != ring.writeCount(); ++resultsSeen[k])
            {
                const auto& entry = ring.entry (resultsSeen[k]);
                result.tracks[k].angles.emplace_back (double (entry.position) / rate,
                                                      float (entry.phase * 180.0 / M_PI));
            }
        }

        if (progress)
            progress (double (offset + n) / double (total));
    }

    for (auto& track : tracks)
        track->setPlayHead (nullptr);

    std::vector<const juce::AudioBuffer<float>*> before, after;

    for (size_t k = 0; k < tracks.size(); ++k)
    {
        auto& track = result.tracks[k];
        const auto& in = inputs[k].audio;
        track.aligned.setSize (in.getNumChannels(), in.getNumSamples());

        for (int c = 0; c < in.getNumChannels(); ++c)
            track.aligned.copyFrom (c, 0, played[k], c, lookahead, in.getNumSamples());

        track.finalAngleDegrees = finalAngle (track.angles, in, rate);
        before.push_back (&in);
        after.push_back (&track.aligned);
    }

    result.mixBefore = mixdown (before);
    result.mixAfter = mixdown (after);
    result.energyBefore = energyOf (result.mixBefore);
    result.energyAfter = energyOf (result.mixAfter);
    return result;
}
} // namespace Tavo::Align
