#include "processor/TavoAudioProcessor.h"
#include "support/FakeHost.h"
#include "support/TestHost.h"

#include <gtest/gtest.h>

#include <cmath>
#include <complex>

namespace Tavo
{
namespace
{
    constexpr double pi = 3.141592653589793;

    struct Capture : ::testing::Test
    {
        Capture()
        {
            Testing::enterHost ({});
            Testing::manualMaster();
        }

        static void fillTone (juce::AudioBuffer<float>& buffer, double frequency, double rate, std::int64_t start)
        {
            for (int c = 0; c < buffer.getNumChannels(); ++c)
                for (int i = 0; i < buffer.getNumSamples(); ++i)
                    buffer.setSample (c, i, float (0.5 * std::cos (2 * pi * frequency * double (start + i) / rate)));
        }

        /** Plays a tone from `start` and returns the largest capture magnitude
            over the last quarter of what was played. */
        static float captureLevel (TavoAudioProcessor& processor, double frequency, std::int64_t start, int blocks)
        {
            Testing::BlockPlayer player (processor, 2, 512);
            player.playHead.position = start;

            for (int b = 0; b < blocks; ++b)
            {
                fillTone (player.buffer, frequency, 48000, player.playHead.position);
                player.play();
            }

            float level = 0.0f;
            const auto end = static_cast<std::int32_t> (start + blocks * 512);

            for (std::int32_t t = end - blocks * 128; t != end; ++t)
                level = std::max (level, std::abs (std::complex<float> (processor.captureRings[0].at (t),
                                                                        processor.captureRings[1].at (t))));

            return level;
        }
    };
} // namespace

TEST_F (Capture, SamplesLandAtTheirTimelinePositionModuloTheRing)
{
    struct Case
    {
        std::int64_t blockStart;
        std::uint32_t firstIndex;
    };

    for (const auto& c : { Case { 1000000, 475712 }, Case { -3, 524285 }, Case { 0, 0 } })
    {
        TavoAudioProcessor processor;
        processor.prepareToPlay (48000.0, 512);
        Testing::BlockPlayer player (processor, 2, 512);
        player.playHead.position = c.blockStart;
        player.buffer.clear();
        player.buffer.setSample (0, 0, 1.0f); // an impulse on channel 0 only
        player.play();

        EXPECT_EQ (CaptureRing::indexOf (static_cast<std::int32_t> (c.blockStart)), c.firstIndex);
        EXPECT_NE (processor.captureRings[0].data()[c.firstIndex], 0.0f) << c.blockStart;
        EXPECT_NE (processor.captureRings[1].data()[c.firstIndex], 0.0f) << c.blockStart;
        EXPECT_EQ (processor.captureRings[2].data()[c.firstIndex], 0.0f) << c.blockStart;
        EXPECT_EQ (processor.processedEnd.load(), static_cast<std::int32_t> (c.blockStart + 512));
    }
}

TEST_F (Capture, TheRingsHoldAnAnalyticPairOfTheInput)
{
    TavoAudioProcessor processor;
    processor.prepareToPlay (48000.0, 512);
    const auto level = captureLevel (processor, 1000.0, 0, 40);

    // A tone in the band has a constant magnitude: its amplitude.
    std::int32_t last = 40 * 512;

    for (std::int32_t t = last - 2000; t < last; ++t)
        ASSERT_NEAR (std::abs (std::complex<float> (processor.captureRings[0].at (t), processor.captureRings[1].at (t))),
                     0.5f, 0.01f) << t;

    EXPECT_NEAR (level, 0.5f, 0.01f);
}

TEST_F (Capture, LowFrequencyFocusShapesTheCaptureFromTheNextBlock)
{
    TavoAudioProcessor processor;
    processor.prepareToPlay (48000.0, 512);
    const auto wide = captureLevel (processor, 5000.0, 0, 40);

    processor.getParameters()[1]->setValue (1.0f);
    const auto focused = captureLevel (processor, 5000.0, 40 * 512, 40);

    EXPECT_GT (wide, 0.45f);
    EXPECT_LT (focused, 0.1f); // a one-pole low-pass at 800 Hz, 5 kHz: about -16 dB
}

TEST_F (Capture, StreamStartMarksEveryDiscontinuity)
{
    TavoAudioProcessor processor;
    processor.prepareToPlay (48000.0, 256);
    Testing::BlockPlayer player (processor, 2, 256);
    player.playHead.position = 1000;

    player.play();
    EXPECT_EQ (processor.streamStart.load(), 1000); // the first block after prepare

    player.play();
    EXPECT_EQ (processor.streamStart.load(), 1000); // continuous

    player.playHead.position = 50000;
    player.play();
    EXPECT_EQ (processor.streamStart.load(), 50000); // a jump

    player.playHead.hasPosition = false; // a host without a transport: carry on
    player.play();
    EXPECT_EQ (processor.streamStart.load(), 50000);
    EXPECT_EQ (processor.processedEnd.load(), 50512);
}

TEST_F (Capture, AMonoInstanceWritesOnlyItsFirstPair)
{
    TavoAudioProcessor processor;
    processor.prepareToPlay (48000.0, 512);
    Testing::BlockPlayer player (processor, 1, 512);
    fillTone (player.buffer, 500, 48000, 0);
    player.play();

    const auto* third = processor.captureRings[2].data();
    EXPECT_TRUE (std::all_of (third, third + CaptureRing::capacity, [] (float s) { return s == 0.0f; }));
    EXPECT_NE (processor.captureRings[0].at (100), 0.0f);
}
} // namespace Tavo
