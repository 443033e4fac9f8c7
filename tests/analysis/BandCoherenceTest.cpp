#include "analysis/AnalysisFixture.h"
#include "master/BandAnalysis.h"

namespace Tavo
{
namespace
{
    struct BandView : Testing::AnalysisFixture
    {
        static void writeNoise (TavoAudioProcessor& track, float sign, int seed = 3)
        {
            juce::Random random (seed);

            for (int c = 0; c < track.getNumCaptureChannels(); ++c)
            {
                auto& real = track.captureRings[size_t (2 * c)];
                auto& imaginary = track.captureRings[size_t (2 * c + 1)];
                real.seek (0);
                imaginary.seek (0);

                for (int t = 0; t < hop; ++t)
                {
                    real.write (sign * (random.nextFloat() - 0.5f));
                    imaginary.write (sign * (random.nextFloat() - 0.5f));
                }
            }
        }

        static void show (TavoAudioProcessor& track, bool groupView = false)
        {
            track.setEditorOpen (true);
            track.editModel ([&] (Model& model) {
                model.mutable_gui_settings()->set_is_freq_graph (true);
                model.mutable_gui_settings()->set_is_group_graph (groupView);
            });
        }

        void switchCorrectionsOff (TavoAudioProcessor& track)
        {
            setParameter (track, 0, 0.0f);
            exchange();
        }
    };
} // namespace

TEST_F (BandView, IdenticalTracksAgreeInEveryBand)
{
    auto& a = addTrack();
    auto& b = addTrack();
    exchange();
    show (a);
    show (b);
    writeNoise (a, 1.0f);
    writeNoise (b, 1.0f);
    analyse();

    for (auto* track : { &a, &b })
    {
        for (const auto& band : track->display.bands)
            EXPECT_NEAR (band.coherence, 1.0f, 1e-4f);

        EXPECT_NEAR (track->display.overallCoherence, 1.0f, 1e-4f);
    }
}

TEST_F (BandView, WhoIsComparedDependsOnOpenEditorsAndTheGroupView)
{
    struct Case
    {
        const char* what;
        bool groupView;
        bool inverseEditorOpen;
        float overall; // the shown track's agreement
    };

    // The shown track; a copy in its group; an inverted copy in another group.
    const Case cases[] = {
        { "one editor, all tracks", false, false, 0.0f }, // the copy and the inverse cancel
        { "one editor, its group", true, false, 1.0f },
        { "two editors: the open ones", false, true, -1.0f },
    };

    for (const auto& c : cases)
    {
        tracks.clear();
        auto& shown = addTrack();
        auto& copy = addTrack();
        auto& inverse = addTrack();
        setParameter (shown, 2, 1);
        setParameter (copy, 2, 1);
        setParameter (inverse, 2, 2);
        exchange();
        switchCorrectionsOff (shown); // compare what was captured
        show (shown, c.groupView);
        inverse.setEditorOpen (c.inverseEditorOpen);
        exchange();

        writeNoise (shown, 1.0f);
        writeNoise (copy, 1.0f);
        writeNoise (inverse, -1.0f);
        analyse();

        EXPECT_NEAR (shown.display.overallCoherence, c.overall, 1e-4f) << c.what;
        EXPECT_EQ (copy.display.bandSums[10].ownPower, 0.0f) << c.what; // not shown: nothing kept
    }
}

TEST_F (BandView, BandsAboveHalfTheRateStayEmpty)
{
    BandBuffers buffers;
    const int rate = 22050, length = 1103;
    buffers.prepareWindow (length);

    juce::Random random (5);
    std::vector<float> noise (static_cast<size_t> (length));

    for (auto& s : noise)
        s = random.nextFloat() - 0.5f;

    const auto sums = buffers.bandSums (noise.data(), noise.data(), rate);

    // Band b is centred on 30 * 2^(b/3) Hz; 11025 Hz falls into band 26,
    // which is stored after the last bin.
    for (int b = 0; b <= 26; ++b)
        EXPECT_GT (sums[size_t (b)].ownPower, 0.0f) << b;

    for (int b = 27; b < BandBuffers::numBands; ++b)
        EXPECT_EQ (sums[size_t (b)].ownPower, 0.0f) << b;
}

TEST_F (BandView, WindowsLongerThanTheTransformAreShortened)
{
    BandBuffers buffers;
    buffers.prepareWindow (20000); // the hop at 400 kHz
    EXPECT_EQ (buffers.getWindowLength(), BandBuffers::fftSize);
}
} // namespace Tavo
