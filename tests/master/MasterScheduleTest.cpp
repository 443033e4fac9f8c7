#include "model/ModelRules.h"
#include "model/StateBlock.h"
#include "processor/TavoAudioProcessor.h"
#include "host/TimelinePlayHead.h"
#include "support/FakeHost.h"

#include <gtest/gtest.h>

#include <thread>

namespace Tavo
{
namespace
{
    struct MasterSchedule : ::testing::Test
    {
        MasterSchedule() : master ((Testing::enterHost ({}), Testing::manualMaster())) {}

        TavoMaster& master;

        static void setParameter (TavoAudioProcessor& processor, int index, float plainValue)
        {
            processor.getParameters()[index]->setValue (processor.normalisedFromValue (index, plainValue));
        }

        static float parameter (TavoAudioProcessor& processor, int index) { return processor.getParameterValue (index); }

        static void play (TavoAudioProcessor& processor, std::int32_t from, int numSamples)
        {
            TimelinePlayHead head;
            head.position = from;
            processor.setPlayHead (&head);
            juce::AudioBuffer<float> buffer (2, numSamples);
            buffer.clear();
            juce::MidiBuffer midi;
            processor.processBlock (buffer, midi);
            processor.setPlayHead (nullptr);
        }
    };
} // namespace

TEST_F (MasterSchedule, InstanceNumbersAreNeverReused)
{
    auto first = std::make_unique<TavoAudioProcessor>();
    const auto base = first->getInstanceNumber();
    auto second = std::make_unique<TavoAudioProcessor>();
    EXPECT_EQ (second->getInstanceNumber(), base + 1);

    first.reset();
    second.reset();

    TavoAudioProcessor third;
    EXPECT_EQ (third.getInstanceNumber(), base + 2);
}

TEST_F (MasterSchedule, TracksOfOneGroupShareItsGainAndDescription)
{
    TavoAudioProcessor a, b;
    setParameter (a, 2, 3);
    setParameter (b, 2, 3);
    master.runOnePass(); // both join group 3; joining does not push
    master.runOnePass(); // both pull the new entry

    ASSERT_EQ (master.getGroupTable().size(), 4u);
    EXPECT_EQ (master.getGroupTable()[1].description(), "Untitled");
    EXPECT_EQ (activeSet (b.copyModel()).group_params().description(), "Untitled");

    setParameter (a, 4, 6.0f);
    master.runOnePass();
    master.runOnePass();
    EXPECT_FLOAT_EQ (parameter (b, 4), 6.0f);

    a.editModel ([] (Model& model) { activeSet (model).mutable_group_params()->set_description ("Drums"); });
    master.runOnePass();
    master.runOnePass();
    EXPECT_EQ (activeSet (b.copyModel()).group_params().description(), "Drums");
}

TEST_F (MasterSchedule, ATrackOfAnotherGroupKeepsItsOwnGroupGain)
{
    TavoAudioProcessor a, b;
    setParameter (a, 2, 1);
    setParameter (b, 2, 2);
    master.runOnePass();
    master.runOnePass();

    setParameter (a, 4, -8.0f);
    master.runOnePass();
    master.runOnePass();
    EXPECT_EQ (parameter (b, 4), 0.0f);
}

TEST_F (MasterSchedule, GlobalSwitchesReachEveryInstance)
{
    TavoAudioProcessor a, b, c;
    master.runOnePass();

    setParameter (b, 0, 0.0f);
    setParameter (b, 1, 1.0f);
    master.runOnePass();
    master.runOnePass();

    for (auto* processor : { &a, &c })
    {
        EXPECT_EQ (parameter (*processor, 0), 0.0f);
        EXPECT_EQ (parameter (*processor, 1), 1.0f);
    }
}

TEST_F (MasterSchedule, ALoadedStateSpreadsItsGroupAndGlobalValues)
{
    TavoAudioProcessor loader, other;
    setParameter (other, 2, 5);
    master.runOnePass();

    Model saved = makeDefaultModel();
    auto* set = saved.mutable_param_set (0);
    set->set_group (5);
    set->mutable_group_params()->set_description ("Overheads");
    set->mutable_group_params()->set_gain (-3);
    set->mutable_global_params()->set_is_low_freq_focus (true);
    const auto block = StateBlock::serialise (saved);
    loader.setStateInformation (block.data(), static_cast<int> (block.size()));

    master.runOnePass();
    master.runOnePass();

    const auto received = activeSet (other.copyModel());
    EXPECT_EQ (received.group_params().description(), "Overheads");
    EXPECT_NEAR (received.group_params().gain(), -3, 1e-6); // through a single-precision parameter
    EXPECT_TRUE (received.global_params().is_low_freq_focus());
}

TEST_F (MasterSchedule, WithoutPreparedTracksNothingIsAnalysed)
{
    const bool freshProcess = master.getSampleRate() == 0.0; // the rate outlives runs of the schedule
    TavoAudioProcessor processor;
    master.runOnePass();
    master.runOnePass();

    if (freshProcess)
        EXPECT_EQ (master.getHopSize(), 1);

    EXPECT_EQ (master.getAnalysisPosition(), 0);
}

TEST_F (MasterSchedule, AWindowIsAnalysedAMarginBeforeTheDelayedOutputReachesIt)
{
    TavoAudioProcessor processor;
    processor.prepareToPlay (48000.0, 480);
    master.runOnePass();

    // The output trails the capture by the lookahead (9600 samples at 200 ms);
    // a window is analysed 75 ms (3600 samples) before the output reaches it.
    std::vector<std::int32_t> captureEndsAtAnalysis;
    std::int32_t position = 0;

    while (position < 12000)
    {
        const auto before = master.getAnalysisPosition();
        play (processor, position, 480);
        position += 480;
        master.runOnePass();

        if (master.getAnalysisPosition() != before)
            captureEndsAtAnalysis.push_back (position);
    }

    EXPECT_EQ (master.getHopSize(), 2400);
    EXPECT_EQ (captureEndsAtAnalysis, (std::vector<std::int32_t> { 6240, 8640, 11040 }));
}

TEST_F (MasterSchedule, TransportJumpsMoveTheWindow)
{
    TavoAudioProcessor processor;
    processor.prepareToPlay (48000.0, 480);
    master.runOnePass();

    play (processor, 96000, 480);
    master.runOnePass();
    EXPECT_EQ (master.getAnalysisPosition(), 96480);

    play (processor, 1000, 480); // looped back
    master.runOnePass();
    EXPECT_EQ (master.getAnalysisPosition(), 1480);
}

TEST_F (MasterSchedule, TheThreadRunsWhileInstancesExist)
{
    master.setAutomaticThread (true);
    EXPECT_FALSE (master.isThreadRunning());

    for (int round = 0; round < 3; ++round)
    {
        auto processor = std::make_unique<TavoAudioProcessor>();
        EXPECT_TRUE (master.isThreadRunning());
        processor.reset();
        EXPECT_FALSE (master.isThreadRunning());
    }
}

TEST_F (MasterSchedule, InstancesComingAndGoingFastNeverRaceTheThread)
{
    master.setAutomaticThread (true);
    std::vector<std::unique_ptr<TavoAudioProcessor>> keep;
    keep.push_back (std::make_unique<TavoAudioProcessor>());
    keep.back()->prepareToPlay (44100.0, 256);

    for (int i = 0; i < 40; ++i)
    {
        auto transient = std::make_unique<TavoAudioProcessor>();
        transient->prepareToPlay (44100.0, 256);
        setParameter (*transient, 2, float (i % 4));
        std::this_thread::sleep_for (std::chrono::microseconds (300));
    }

    keep.clear();
    EXPECT_FALSE (master.isThreadRunning());
}
} // namespace Tavo
