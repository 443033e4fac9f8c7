#pragma once

#include "master/GroupAnalysis.h"
#include "master/TavoMaster.h"
#include "model/ModelRules.h"
#include "processor/TavoAudioProcessor.h"
#include "support/FakeHost.h"

#include <gtest/gtest.h>

#include <cmath>
#include <complex>
#include <memory>
#include <vector>

namespace Tavo::Testing
{
/** Tracks whose capture rings the test writes directly, analysed one window
    at a time by calling the analysis itself: fast and deterministic. */
struct AnalysisFixture : ::testing::Test
{
    static constexpr double rate = 48000.0;
    static constexpr int hop = 2400;

    AnalysisFixture() : master ((enterHost ({}), manualMaster())) {}

    TavoMaster& master;
    std::vector<std::unique_ptr<TavoAudioProcessor>> tracks;

    TavoAudioProcessor& addTrack (int numChannels = 2)
    {
        tracks.push_back (std::make_unique<TavoAudioProcessor>());
        auto& track = *tracks.back();
        track.setPlayConfigDetails (numChannels, numChannels, rate, 512);
        track.prepareToPlay (rate, 512);
        return track;
    }

    static void setParameter (TavoAudioProcessor& track, int index, float plainValue)
    {
        track.getParameters()[index]->setValue (track.normalisedFromValue (index, plainValue));
    }

    /** Lets the master take over parameters and group settings. */
    void exchange()
    {
        master.runOnePass();
        master.runOnePass();
    }

    /** Writes an analytic signal into channel c's rings over the window:
        amplitude times e^(-i(wt + phase)), as the capture stores a tone. */
    static void writeTone (TavoAudioProcessor& track, int channel, double amplitude, double frequency, double phase,
                           std::int32_t from = 0, int length = hop)
    {
        auto& real = track.captureRings[size_t (2 * channel)];
        auto& imaginary = track.captureRings[size_t (2 * channel + 1)];
        real.seek (from);
        imaginary.seek (from);

        for (int t = 0; t < length; ++t)
        {
            const auto angle = 2.0 * M_PI * frequency * double (from + t) / rate + phase;
            real.write (float (amplitude * std::cos (angle)));
            imaginary.write (float (-amplitude * std::sin (angle)));
        }
    }

    /** A track turned by `turn` radians relative to the reference tone. */
    static void writeTurned (TavoAudioProcessor& track, double turn, double amplitude = 1.0)
    {
        for (int c = 0; c < track.getNumCaptureChannels(); ++c)
            writeTone (track, c, amplitude, 1000.0, -turn);
    }

    /** Analyses the window at position 0 as if every track had captured it. */
    void analyse()
    {
        for (auto& track : tracks)
            track->processedEndSnapshot = hop;

        analyseWindow (master);
    }

    static double degrees (TavoAudioProcessor& track)
    {
        return track.phaseResults.newest().phase * 180.0 / M_PI;
    }
};
} // namespace Tavo::Testing
