#include "model/ModelRules.h"
#include "processor/TavoAudioProcessor.h"
#include "support/FakeHost.h"
#include "support/TestHost.h"

#include <gtest/gtest.h>

#include <cmath>

namespace Tavo
{
namespace
{
    constexpr double pi = 3.141592653589793;

    struct Rendering : ::testing::Test
    {
        Rendering()
        {
            Testing::enterHost ({});
            Testing::manualMaster();
        }

        /** Plays `input` (one channel, copied to every channel) through the
            processor in blocks; returns channel 0 of the output. */
        static std::vector<float> play (TavoAudioProcessor& processor, const std::vector<float>& input,
                                        int numChannels = 2, int blockSize = 512, std::int64_t start = 0)
        {
            Testing::BlockPlayer player (processor, numChannels, blockSize);
            player.playHead.position = start;
            std::vector<float> output;

            for (size_t offset = 0; offset < input.size(); offset += size_t (blockSize))
            {
                for (int c = 0; c < numChannels; ++c)
                    for (int i = 0; i < blockSize; ++i)
                        player.buffer.setSample (c, i, offset + size_t (i) < input.size() ? input[offset + size_t (i)] : 0.0f);

                const auto& out = player.play();
                output.insert (output.end(), out.getReadPointer (0), out.getReadPointer (0) + blockSize);
            }

            output.resize (input.size());
            return output;
        }

        static std::vector<float> noise (size_t length, int seed = 1)
        {
            juce::Random random (seed);
            std::vector<float> samples (length);

            for (auto& s : samples)
                s = random.nextFloat() * 2.0f - 1.0f;

            return samples;
        }

        static std::vector<float> cosine (size_t length, double frequency, double sampleRate)
        {
            std::vector<float> samples (length);

            for (size_t i = 0; i < length; ++i)
                samples[i] = static_cast<float> (0.5 * std::cos (2.0 * pi * frequency * double (i) / sampleRate));

            return samples;
        }
    };
} // namespace

TEST_F (Rendering, DelayConfigurationFollowsRateAndLookahead)
{
    struct Case
    {
        double rate;
        double lookaheadMs;
        int L, D, N;
    };

    for (const auto& c : { Case { 44100, 200, 8820, 661, 8159 }, Case { 44100, 150, 6615, 661, 5954 },
                           Case { 48000, 500, 24000, 720, 23280 } })
    {
        TavoAudioProcessor processor;
        processor.editModel ([&] (Model& m) { m.mutable_global_config()->set_lookahead_buffer_ms (c.lookaheadMs); });
        processor.prepareToPlay (c.rate, 256);
        play (processor, std::vector<float> (256));

        EXPECT_EQ (processor.getLookaheadSamples(), c.L);
        EXPECT_EQ (processor.getRenderer().getImagDelay(), c.D);
        EXPECT_EQ (processor.getRenderer().getReverseBlock(), c.N);
    }
}

TEST_F (Rendering, AtAngleZeroTheOutputIsTheInputDelayedByTheLookahead)
{
    TavoAudioProcessor processor;
    processor.prepareToPlay (44100.0, 512);
    const auto input = noise (30000);
    const auto output = play (processor, input);

    for (size_t i = 0; i < 8820; ++i)
        ASSERT_EQ (output[i], 0.0f) << i;

    for (size_t i = 8820; i < output.size(); ++i)
        ASSERT_EQ (output[i], input[i - 8820]) << i;
}

TEST_F (Rendering, AConstantAngleRotatesTheDelayedInput)
{
    const double rate = 48000.0, frequency = 997.0;
    const auto L = 9600;

    struct Case
    {
        float angle;
        std::function<double (double)> expected; // of the delayed phase
        double tolerance;
    };

    const Case cases[] = {
        { float (pi / 2), [] (double phase) { return -0.5 * std::sin (phase); }, 0.01 },
        { float (pi), [] (double phase) { return -0.5 * std::cos (phase); }, 1e-6 },
        { float (-pi / 4), [] (double phase) { return 0.5 * std::cos (phase - pi / 4); }, 0.01 },
    };

    for (const auto& c : cases)
    {
        TavoAudioProcessor processor;
        processor.prepareToPlay (rate, 512);
        processor.phaseResults.publish (0, c.angle, c.angle);

        const auto input = cosine (60000, frequency, rate);
        const auto output = play (processor, input);

        // After the delay, the Hilbert path's first blocks and one crossfade.
        for (size_t i = 40000; i < output.size(); ++i)
        {
            const auto phase = 2.0 * pi * frequency * double (int (i) - L) / rate;
            ASSERT_NEAR (output[i], c.expected (phase), c.tolerance) << "angle " << c.angle << " at " << i;
        }
    }
}

TEST_F (Rendering, TheGlobalSwitchAndHostBypassGlideBackToTheDelayedInput)
{
    for (const bool viaBypass : { false, true })
    {
        TavoAudioProcessor processor;
        processor.prepareToPlay (48000.0, 512);
        processor.phaseResults.publish (0, 2.0f, 2.0f);

        if (! viaBypass)
            processor.getParameters()[0]->setValue (0.0f);

        Testing::BlockPlayer player (processor, 1, 512);
        const auto input = noise (512 * 188, 7); // whole blocks, about two seconds
        std::vector<float> output;

        for (size_t offset = 0; offset < input.size(); offset += 512)
        {
            std::copy (input.begin() + long (offset), input.begin() + long (offset) + 512, player.buffer.getWritePointer (0));
            const auto& out = player.play (viaBypass);
            output.insert (output.end(), out.getReadPointer (0), out.getReadPointer (0) + 512);
        }

        EXPECT_EQ (processor.getRenderer().getTargetAngle(), 0.0f);

        for (size_t i = 9600; i < output.size(); ++i)
            ASSERT_EQ (output[i], input[i - 9600]) << (viaBypass ? "bypass " : "switch ") << i;
    }
}

TEST_F (Rendering, ACorrectionGlidesAcrossOneCrossfadeCentredOnACrossing)
{
    TavoAudioProcessor processor;
    processor.prepareToPlay (48000.0, 512);
    play (processor, cosine (20000, 440, 48000));

    // Due when the output reaches timeline position 30000.
    processor.phaseResults.publish (30000 - 9600, 1.0f, 1.0f);
    Testing::BlockPlayer player (processor, 1, 512);
    player.playHead.position = 20480; // continues the stream played above
    std::vector<float> angles;

    for (int block = 0; block < 40; ++block)
    {
        player.play();
        angles.push_back (processor.getRenderer().getCurrentAngle (0));
    }

    EXPECT_EQ (angles.front(), 0.0f);
    EXPECT_EQ (angles.back(), 1.0f);

    const auto moving = std::count_if (angles.begin(), angles.end(), [] (float a) { return a > 0.0f && a < 1.0f; });
    EXPECT_GE (moving, 1);
    EXPECT_LE (moving, 4); // 1440 samples of crossfade cover at most four blocks of 512
}

TEST_F (Rendering, GainsApplyInDecibelsAndVeryLowGainIsSilence)
{
    struct Case
    {
        double trackGain;
        double groupGain;
        float linear;
    };

    for (const auto& c : { Case { -20, -20, 0.01f }, Case { 6, 0, 1.9952623f }, Case { -60, -40, 0.0f } })
    {
        TavoAudioProcessor processor;
        processor.editModel ([&] (Model& m) {
            activeSet (m).set_gain (c.trackGain); // foreign state may lie outside the parameter range
            activeSet (m).mutable_group_params()->set_gain (c.groupGain);
        });
        processor.prepareToPlay (44100.0, 512);

        const auto input = noise (12000, 3);
        const auto output = play (processor, input);

        for (size_t i = 8820; i < output.size(); ++i)
            ASSERT_FLOAT_EQ (output[i], input[i - 8820] * c.linear) << i;
    }
}

TEST_F (Rendering, WithoutPrepareTheOutputIsSilentAndNothingIsPublished)
{
    TavoAudioProcessor processor;
    const auto output = play (processor, noise (2048));

    EXPECT_TRUE (std::all_of (output.begin(), output.end(), [] (float s) { return s == 0.0f; }));
    EXPECT_EQ (processor.processedEnd.load(), -1);
}

TEST_F (Rendering, LatencyReportingOffKeepsTheDelay)
{
    TavoMaster::getInstance().sharedConfig().setReportLatency (false);
    TavoAudioProcessor processor;
    processor.prepareToPlay (44100.0, 512);
    TavoMaster::getInstance().runOnePass();

    const auto input = noise (10000, 5);
    const auto output = play (processor, input);
    EXPECT_EQ (processor.getRequestedLatency(), 0);
    EXPECT_EQ (output[9000], input[9000 - 8820]);
}
} // namespace Tavo

namespace Tavo
{
TEST_F (Rendering, BlockSizesDoNotChangeTheOutput)
{
    const auto input = noise (48000, 9);
    std::vector<std::vector<float>> outputs;

    // Prepared for 512; hosts may still send longer, shorter and odd blocks.
    for (const auto blockSize : { 512, 4096, 1000, 7 })
    {
        TavoAudioProcessor processor;
        processor.setStaggerFraction (0.3f);
        processor.prepareToPlay (48000.0, 512);
        outputs.push_back (play (processor, input, 2, blockSize));
    }

    for (size_t k = 1; k < outputs.size(); ++k)
        EXPECT_TRUE (outputs[k] == outputs.front()) << k;
}
} // namespace Tavo

namespace Tavo
{
TEST_F (Rendering, AHostThatRestartsTheTimelineEveryBlockIsHandled)
{
    TavoAudioProcessor processor;
    processor.prepareToPlay (44100.0, 512);
    Testing::BlockPlayer player (processor, 2, 1);
    juce::Random random (2);

    for (const auto blockSize : { 1, 7, 64, 512, 1000, 4096 })
    {
        player.buffer.setSize (2, blockSize);

        for (int b = 0; b < (blockSize == 1 ? 2000 : 40); ++b)
        {
            player.playHead.position = 0; // every block a jump back to the start

            for (int c = 0; c < 2; ++c)
                for (int i = 0; i < blockSize; ++i)
                    player.buffer.setSample (c, i, random.nextFloat() - 0.5f);

            const auto& out = player.play();

            for (int c = 0; c < 2; ++c)
                for (int i = 0; i < blockSize; ++i)
                    ASSERT_TRUE (std::isfinite (out.getSample (c, i)));
        }
    }
}
} // namespace Tavo
