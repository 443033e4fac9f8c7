#include "support/FakeHost.h"
#include "support/MultitrackSession.h"
#include "support/Signals.h"

#include <gtest/gtest.h>

#include <cmath>

namespace Tavo
{
namespace
{
    constexpr double rate = 48000.0;
    constexpr int lookahead = 9600; // 200 ms

    struct EndToEnd : ::testing::Test
    {
        EndToEnd()
        {
            Testing::enterHost ({});
            Testing::manualMaster();
        }

        Testing::MultitrackSession session { rate, 512 };

        static double decibels (double ratio) { return 10.0 * std::log10 (ratio); }

        static std::vector<float> mix (const std::vector<std::vector<float>>& tracks)
        {
            std::vector<float> sum (tracks.front().size(), 0.0f);

            for (const auto& track : tracks)
                for (size_t i = 0; i < sum.size(); ++i)
                    sum[i] += track[i];

            return sum;
        }
    };
} // namespace

TEST_F (EndToEnd, TracksOfOneSourceComeOutInPhaseWithinASecond)
{
    const int length = int (rate * 2.5);
    const auto source = Testing::Signals::bandLimitedNoise (length, rate, 80.0, 12000.0, 11);
    const std::vector<std::vector<float>> inputs {
        source,
        Testing::Signals::rotated (source, 1.2),
        Testing::Signals::rotated (source, M_PI), // polarity inverted
    };

    for (size_t k = 0; k < inputs.size(); ++k)
        session.addTrack (k == 1 ? 2 : 1);

    const auto outputs = session.play (inputs);

    // From one second of audio on, the output mix against the inputs' best.
    const int from = int (rate * 1.0) + lookahead, to = length;
    const auto aligned = Testing::Signals::energy (mix (outputs), from, to);
    const auto best = Testing::Signals::bestAlignedEnergy (inputs, from - lookahead, to - lookahead);
    const auto unaligned = Testing::Signals::energy (mix (inputs), from - lookahead, to - lookahead);

    EXPECT_NEAR (decibels (aligned / best), 0.0, 0.1);
    EXPECT_GT (decibels (aligned / unaligned), 6.0);
}

TEST_F (EndToEnd, AnOfflineRenderEqualsTheScheduleDrivenBlockByBlock)
{
    const int length = int (rate * 2);
    const auto source = Testing::Signals::bandLimitedNoise (length, rate, 80.0, 12000.0, 13);
    const std::vector<std::vector<float>> inputs { source, Testing::Signals::rotated (source, -2.2) };

    session.addTrack();
    session.addTrack();
    const auto byHand = session.play (inputs);
    session.tracks.clear();

    // The same tracks rendered as fast as they go, the master on its thread:
    // each block waits for the corrections it needs.
    TavoMaster::getInstance().setAutomaticThread (true);
    Testing::MultitrackSession offline (rate, 512);
    offline.useMasterThread (true);
    offline.addTrack();
    offline.addTrack();
    const auto rendered = offline.play (inputs);

    for (size_t k = 0; k < inputs.size(); ++k)
    {
        const auto firstDifference = std::mismatch (rendered[k].begin(), rendered[k].end(), byHand[k].begin()).first;
        EXPECT_EQ (firstDifference, rendered[k].end()) << "track " << k << " differs from sample "
                                                       << (firstDifference - rendered[k].begin());
    }
}

TEST_F (EndToEnd, SwitchingTheCorrectionOffGlidesBackToTheDelayedInput)
{
    const int length = int (rate * 3);
    const auto source = Testing::Signals::bandLimitedNoise (length, rate, 80.0, 12000.0, 12);
    const std::vector<std::vector<float>> inputs { source, Testing::Signals::rotated (source, 2.0) };
    auto& first = session.addTrack();
    session.addTrack();

    const auto firstHalf = [&] (const std::vector<float>& signal) {
        return std::vector<float> (signal.begin(), signal.begin() + length / 2);
    };

    const auto whileOn = session.play ({ firstHalf (inputs[0]), firstHalf (inputs[1]) });
    EXPECT_NE (session.tracks[1]->getRenderer().getTargetAngle(), 0.0f);

    first.getParameters()[0]->setValue (0.0f); // "Global Enabled" off on one instance reaches all
    const auto afterwards = session.play ({ std::vector<float> (inputs[0].begin() + length / 2, inputs[0].end()),
                                           std::vector<float> (inputs[1].begin() + length / 2, inputs[1].end()) });

    // Played from position 0 again: a jump, and with it empty delay lines.
    for (size_t k = 0; k < 2; ++k)
    {
        EXPECT_EQ (session.tracks[k]->getRenderer().getTargetAngle(), 0.0f);

        for (size_t i = size_t (lookahead); i < afterwards[k].size(); ++i)
            ASSERT_EQ (afterwards[k][i], inputs[k][size_t (length / 2) + i - size_t (lookahead)]) << k << " " << i;
    }

    (void) whileOn;
}
} // namespace Tavo
