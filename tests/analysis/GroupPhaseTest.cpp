#include "analysis/AnalysisFixture.h"

namespace Tavo
{
using GroupPhase = Testing::AnalysisFixture;

TEST_F (GroupPhase, APolarityInvertedCopyPartsTowardsHalfATurn)
{
    auto& a = addTrack();
    auto& b = addTrack();
    exchange();
    writeTurned (a, 0.0);
    writeTurned (b, M_PI);

    analyse();
    EXPECT_LT (degrees (a), -70.0);
    EXPECT_DOUBLE_EQ (degrees (b), -degrees (a));

    analyse();
    EXPECT_LT (degrees (a), -87.0); // their difference approaches 180 degrees
    EXPECT_DOUBLE_EQ (degrees (b), -degrees (a));
}

TEST_F (GroupPhase, TracksOfAFullGroupMeetHalfWay)
{
    auto& a = addTrack();
    auto& b = addTrack();
    setParameter (a, 2, 1);
    setParameter (b, 2, 1);
    exchange();
    writeTurned (a, 0.0);
    writeTurned (b, M_PI / 2);

    analyse();
    EXPECT_NEAR (degrees (a), -45.0, 0.1);
    EXPECT_NEAR (degrees (b), 45.0, 0.1);
}

TEST_F (GroupPhase, GroupModesDecideWhatIsAligned)
{
    struct Case
    {
        GroupEnableMode mode;
        double single, members; // after the first window
        double singleSettled, membersSettled;
        double tolerance;
    };

    const Case cases[] = {
        { GROUP_INTERNAL_ONLY, 0.0, 0.0, 0.0, 0.0, 0.1 },
        { GROUP_PHASE_LOCK, -41.0, 0.5, -57.3, 0.0, 0.1 },
        { GROUP_FULL, -33.0, 16.4, -38.0, 19.0, 0.3 },
    };

    for (const auto& c : cases)
    {
        tracks.clear();
        auto& single = addTrack();
        auto& first = addTrack();
        auto& second = addTrack();
        setParameter (first, 2, 1);
        setParameter (second, 2, 1);
        exchange();
        setParameter (first, 3, float (c.mode));
        exchange();

        // The group holds two copies of the single track turned by one radian.
        writeTurned (single, 0.0);
        writeTurned (first, 1.0);
        writeTurned (second, 1.0);

        analyse();
        EXPECT_NEAR (degrees (single), c.single, c.tolerance) << c.mode;
        EXPECT_NEAR (degrees (first), c.members, c.tolerance) << c.mode;
        EXPECT_EQ (degrees (first), degrees (second)) << c.mode;

        for (int window = 0; window < 9; ++window)
            analyse();

        EXPECT_NEAR (degrees (single), c.singleSettled, c.tolerance) << c.mode;
        EXPECT_NEAR (degrees (first), c.membersSettled, c.tolerance) << c.mode;
    }
}

TEST_F (GroupPhase, ATrackOfAGroupThatIsOffGetsTwoZeroResultsPerWindow)
{
    auto& a = addTrack();
    auto& off = addTrack();
    setParameter (off, 2, 2);
    exchange();
    setParameter (off, 3, float (GROUP_OFF));
    exchange();
    writeTurned (a, 0.0);
    writeTurned (off, 1.0);

    const auto before = off.phaseResults.writeCount();
    analyse();

    ASSERT_EQ (off.phaseResults.writeCount(), before + 2);
    EXPECT_EQ (off.phaseResults.newest().position, -720); // 0.3 of a 2400-sample hop before the window
    EXPECT_EQ (off.phaseResults.newest().phase, 0.0f);
    EXPECT_EQ (degrees (a), 0.0); // nothing to align with
}

TEST_F (GroupPhase, LevelsDecideWhoTakesPart)
{
    struct Case
    {
        const char* what;
        double amplitude; // of the second track, the first is full scale
        bool hasRow;
        bool moves; // whether the pair aligns across groups
    };

    const Case cases[] = {
        { "silent", 0.0, false, false },
        { "just below -80 dB", 0.9e-4, false, false },
        { "just above -80 dB", 1.1e-4, true, false },
        { "quiet: below -20 dB of the loudest peak", 0.09, true, false },
        { "loud enough to turn", 0.11, true, true },
    };

    for (const auto& c : cases)
    {
        tracks.clear();
        auto& loud = addTrack();
        auto& other = addTrack();
        exchange();
        writeTurned (loud, 0.0);
        writeTurned (other, 1.0, c.amplitude);
        analyse();

        const auto selfCorrelation = other.display.peers[1].correlation;
        EXPECT_EQ (selfCorrelation != std::complex<float> (), c.hasRow) << c.what;
        EXPECT_EQ (degrees (loud) != 0.0, c.moves) << c.what;
        EXPECT_EQ (other.display.peerCount, 2) << c.what;
    }
}

TEST_F (GroupPhase, WeightsLiftQuieterTracks)
{
    struct Case
    {
        float weight;
        float factor; // for a track a quarter of the loudest's energy
    };

    for (const auto& c : { Case { 100, 1.0f }, Case { 550, 2.0f }, Case { 1000, 40.0f } })
    {
        tracks.clear();
        auto& loud = addTrack();
        auto& quieter = addTrack();
        setParameter (quieter, 6, c.weight);
        exchange();
        writeTurned (loud, 0.0);
        writeTurned (quieter, 0.5, 0.5);
        analyse();

        const auto energy = loud.display.peers[0].correlation.real() / 4.0f;
        EXPECT_NEAR (quieter.display.peers[1].correlation.real(), energy * c.factor * c.factor, energy * 1e-3)
            << "weight " << c.weight;
        EXPECT_NEAR (std::abs (loud.display.peers[1].correlation), energy * 2.0f * c.factor, energy * 1e-3)
            << "weight " << c.weight;
    }
}

TEST_F (GroupPhase, AMonoRowHoldsItsSamplesTwice)
{
    auto& mono = addTrack (1);
    auto& stereo = addTrack (2);
    exchange();
    writeTurned (mono, 0.0);
    writeTurned (stereo, 0.0);
    analyse();

    EXPECT_EQ (mono.display.peers[0].correlation, stereo.display.peers[1].correlation);
    EXPECT_NEAR (std::abs (mono.display.peers[1].correlation), mono.display.peers[0].correlation.real(), 1.0f);
}

TEST_F (GroupPhase, PeerTablesNameThePeers)
{
    auto& a = addTrack();
    auto& b = addTrack();
    setParameter (b, 2, 7);
    exchange();
    b.setEditorOpen (true);
    writeTurned (a, 0.0);
    writeTurned (b, 0.3);
    analyse();

    EXPECT_EQ (a.display.peerCount, 2);
    EXPECT_EQ (a.display.peerInstance[1], b.getInstanceNumber());
    EXPECT_EQ (a.display.peerEditorOpen[1], 1);
    EXPECT_EQ (a.display.peerGroup[1], 7);
    EXPECT_GT (a.display.lastResultTime, 0);

    // After both corrections the pair agrees much better than before.
    EXPECT_NEAR (std::arg (a.display.peers[1].correlation), -0.3f, 1e-3f); // C(a, b) = sum of a times conj(b)
    EXPECT_LT (std::abs (std::arg (a.display.peers[1].alignedCorrelation)), 0.3f / 4);
}
} // namespace Tavo
