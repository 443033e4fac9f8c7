// The optimised audio path against its golden model.
//
// ReferenceTrackRenderer (next to this file) is a plain scalar transcription
// of the capture and rendering arithmetic. The golden data is whatever that
// model produces, computed afresh in every run: to change the audio path's
// arithmetic on purpose, change the model first, then the engine, until both
// give the same bits again. Nothing is stored, so nothing needs regenerating.

#include "model/ModelRules.h"
#include "processor/ReferenceTrackRenderer.h"
#include "processor/TrackRenderer.h"

#include <juce_audio_basics/juce_audio_basics.h>

#include <gtest/gtest.h>

#include <cstring>
#include <memory>
#include <set>

namespace Tavo
{
namespace
{
    bool sameBits (float a, float b)
    {
        return std::memcmp (&a, &b, sizeof (float)) == 0;
    }

    /** The engine and the model side by side, fed the same calls. */
    struct TwinRenderers
    {
        TwinRenderers (double sampleRate, float stagger)
            : reference (sampleRate, stagger)
        {
            engine.prepare (sampleRate, stagger);
        }

        void publish (std::int32_t position, float angle)
        {
            engineResults->publish (position, angle, angle);
            referenceResults->publish (position, angle, angle);
        }

        void resetChannels()
        {
            engine.resetChannels();
            reference.resetChannels();
        }

        std::unique_ptr<std::array<CaptureRing, 4>> engineRings = std::make_unique<std::array<CaptureRing, 4>>();
        std::unique_ptr<PhaseResultRing> engineResults = std::make_unique<PhaseResultRing>();
        std::unique_ptr<PhaseResultRing> referenceResults = std::make_unique<PhaseResultRing>();
        TrackRenderer engine{ *engineRings, *engineResults };
        Testing::ReferenceTrackRenderer reference;
    };

    struct Scenario
    {
        double sampleRate;
        float stagger;
    };
} // namespace

// Over half a million samples per rate, so the delay rings wrap before the
// later resets: blocks of odd sizes, mono then stereo, corrections due inside
// blocks, late, twice at one sample, running backwards and across the half
// turn, a disabled stretch, the low-frequency focus switching, gain changes,
// a timeline jump and two lookahead changes.
TEST (RenderGolden, EngineMatchesTheScalarModelBitForBit)
{
    juce::ScopedNoDenormals noDenormals; // as in the host's callback

    for (const auto& scenario : { Scenario{ 44100.0, 0.37f }, Scenario{ 48000.0, 0.0f } })
    {
        SCOPED_TRACE (scenario.sampleRate);
        const auto rate = scenario.sampleRate;
        TwinRenderers twins (rate, scenario.stagger);

        constexpr int maxBlock = 1024;
        const int sizes[] = { 512, 512, 300, 1, maxBlock, 97 };
        const float angles[] = { 0.7f, -2.5f, 3.0f, -3.0f, 1.2f, 0.0f, 3.14159f, -1.6f };

        juce::AudioBuffer<float> engineBuffer (2, maxBlock);
        juce::AudioBuffer<float> referenceBuffer (2, maxBlock);
        juce::Random random (42);
        std::int32_t blockStart = -5000; // some hosts pre-roll before zero
        BlockSettings settings;
        std::set<float> anglesSeen;

        for (int block = 0; block < 1500; ++block)
        {
            const auto numSamples = sizes[block % 6];
            const auto numChannels = block < 4 ? 1 : 2;

            settings.lookaheadSamples = lookaheadSamplesAt (block < 100 ? 200.0 : (block < 1450 ? 150.0 : 300.0), rate);
            settings.lowFrequencyFocus = (block / 20) % 2 == 1;
            settings.enabled = block < 60 || block >= 70;
            settings.gainDecibels = block < 120 ? -3.5f : 2.0f;

            if (block == 1400)
            {
                blockStart += 12345;
                twins.resetChannels();
            }

            // A correction due somewhere in this block, or just before it (late).
            if (block % 7 == 3)
            {
                const auto due = random.nextInt (numSamples + 60) - 60;
                const auto position = blockStart - settings.lookaheadSamples + due;
                twins.publish (position, angles[(block / 7) % 8]);

                if (block % 21 == 3) // a second one at the same sample wins
                    twins.publish (position, angles[(block / 7 + 3) % 8]);

                if (block % 35 == 3) // an off-group pair: P, then P - K
                    twins.publish (position - 480, -angles[(block / 7) % 8]);
            }

            for (int c = 0; c < 2; ++c)
                for (int i = 0; i < numSamples; ++i)
                {
                    const auto x = random.nextFloat() * 2.0f - 1.0f;
                    engineBuffer.setSample (c, i, x);
                    referenceBuffer.setSample (c, i, x);
                }

            twins.engine.render (engineBuffer.getArrayOfWritePointers(), numChannels, numSamples, blockStart, settings);
            twins.reference.render (referenceBuffer.getArrayOfWritePointers(), numChannels, numSamples, blockStart,
                                    settings, *twins.referenceResults);

            for (int c = 0; c < numChannels; ++c)
                for (int i = 0; i < numSamples; ++i)
                    ASSERT_TRUE (sameBits (engineBuffer.getSample (c, i), referenceBuffer.getSample (c, i)))
                        << "block " << block << " channel " << c << " sample " << i << ": "
                        << engineBuffer.getSample (c, i) << " vs " << referenceBuffer.getSample (c, i);

            for (int c = 0; c < numChannels; ++c)
                ASSERT_TRUE (sameBits (twins.engine.getCurrentAngle (c), twins.reference.getCurrentAngle (c)));

            anglesSeen.insert (twins.engine.getCurrentAngle (1));
            blockStart += numSamples;
        }

        for (size_t r = 0; r < 4; ++r)
            for (std::uint32_t i = 0; i < CaptureRing::capacity; ++i)
                ASSERT_TRUE (sameBits ((*twins.engineRings)[r].data()[i], twins.reference.captureRings[r][i]))
                    << "capture ring " << r << " index " << i;

        // The stream must really have crossfaded: angles at block ends include
        // the targets and values on the way between them.
        EXPECT_GT (anglesSeen.size(), 20u);
    }
}
} // namespace Tavo
