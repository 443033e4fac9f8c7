#include "model/ModelRules.h"
#include "model/StateBlock.h"
#include "processor/TavoAudioProcessor.h"
#include "support/FakeHost.h"

#include <gtest/gtest.h>

namespace Tavo
{
namespace
{
    std::vector<std::uint8_t> saveState (TavoAudioProcessor& processor)
    {
        juce::MemoryBlock block;
        processor.getStateInformation (block);
        const auto* bytes = static_cast<const std::uint8_t*> (block.getData());
        return { bytes, bytes + block.getSize() };
    }

    void loadState (TavoAudioProcessor& processor, const std::vector<std::uint8_t>& bytes)
    {
        processor.setStateInformation (bytes.data(), static_cast<int> (bytes.size()));
    }

    std::vector<std::uint8_t> blockOf (const Model& model)
    {
        const auto text = StateBlock::serialise (model);
        return { text.begin(), text.end() };
    }

    struct State : ::testing::Test
    {
        State()
        {
            Testing::enterHost ({});
            Testing::manualMaster();
        }
    };
} // namespace

TEST_F (State, ANewInstanceSavesTwoEmptySetsAndItsLookahead)
{
    TavoAudioProcessor processor;
    const std::vector<std::uint8_t> expected { 0x12, 0x00, 0x12, 0x00, 0x32, 0x0A, 0x89, 0x01,
                                               0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x69, 0x40 };
    EXPECT_EQ (saveState (processor), expected);
}

TEST_F (State, SavingAppendsToWhatTheDestinationHolds)
{
    TavoAudioProcessor processor;
    juce::MemoryBlock block ("abc", 3);
    processor.getStateInformation (block);

    ASSERT_EQ (block.getSize(), 3u + 16u);
    EXPECT_EQ (std::memcmp (block.getData(), "abc", 3), 0);
}

TEST_F (State, UnusableBlocksLeaveTheInstanceAsItWas)
{
    TavoAudioProcessor processor;
    processor.getParameters()[5]->setValue (0.75f);
    const auto before = saveState (processor);

    auto truncated = before;
    truncated.resize (before.size() - 3);

    const std::vector<std::vector<std::uint8_t>> unusable {
        {},                                // empty
        { 0xFF, 0xFF, 0xFF, 0xFF },        // not a message
        truncated,                         // cut inside a field
        { 0x08, 0xFF, 0xFF, 0xFF, 0xFF, 0x0F }, // active set -1
        { 0x08, 0x80, 0x01 },              // active set 128: more sets than a block may ask for
    };

    for (const auto& block : unusable)
    {
        loadState (processor, block);
        EXPECT_EQ (saveState (processor), before) << "block of " << block.size() << " bytes";
    }

    processor.setStateInformation (nullptr, 16);
    EXPECT_EQ (saveState (processor), before);
}

TEST_F (State, ABlockWithTooFewSetsGetsDefaultSetsForItsActiveSet)
{
    Model model;
    model.set_active_param_set (3);
    model.add_param_set()->set_weight (400);

    TavoAudioProcessor processor;
    loadState (processor, blockOf (model));

    const auto loaded = processor.copyModel();
    ASSERT_EQ (loaded.param_set_size(), 4);
    EXPECT_EQ (loaded.param_set (0).weight(), 400);
    EXPECT_EQ (processor.getParameters()[6]->getValue(), 0.0f); // the active set is a default one
}

TEST_F (State, FieldsOfLaterVersionsSurviveALoadAndASave)
{
    TavoAudioProcessor processor;
    auto block = saveState (processor);
    const std::vector<std::uint8_t> unknownField { 0x98, 0x06, 0x07 }; // field 99, varint 7
    block.insert (block.end(), unknownField.begin(), unknownField.end());

    loadState (processor, block);
    const auto saved = saveState (processor);

    ASSERT_GE (saved.size(), unknownField.size());
    EXPECT_TRUE (std::equal (unknownField.begin(), unknownField.end(), saved.end() - 3));
}

TEST_F (State, ALoadRewritesEveryParameterThroughTheHostSetter)
{
    struct Listener final : juce::AudioProcessorListener
    {
        std::vector<int> indices;
        void audioProcessorParameterChanged (juce::AudioProcessor*, int index, float) override { indices.push_back (index); }
        void audioProcessorChanged (juce::AudioProcessor*, const ChangeDetails&) override {}
    };

    Model model = makeDefaultModel();
    model.mutable_param_set (0)->set_weight (123.456789);

    TavoAudioProcessor processor;
    Listener listener;
    processor.addListener (&listener);
    loadState (processor, blockOf (model));
    processor.removeListener (&listener);

    EXPECT_EQ (listener.indices, (std::vector<int> { 0, 1, 2, 3, 4, 5, 6 }));

    const auto loaded = processor.copyModel();
    const auto& active = activeSet (loaded);
    EXPECT_TRUE (active.global_params().has_is_enabled());
    EXPECT_TRUE (active.global_params().has_is_low_freq_focus());
    EXPECT_TRUE (active.has_group());
    EXPECT_TRUE (active.group_params().has_enable_mode());
    EXPECT_TRUE (active.group_params().has_gain());
    EXPECT_TRUE (active.has_gain());
    EXPECT_NE (active.weight(), 123.456789); // travelled through a single-precision normalised value
    EXPECT_NEAR (active.weight(), 123.456789, 1e-3);
}

TEST_F (State, LoadingTwiceEqualsLoadingOnce)
{
    Model model = makeDefaultModel();
    model.mutable_param_set (0)->set_group (5);
    model.set_info ("opaque");

    TavoAudioProcessor processor;
    loadState (processor, blockOf (model));
    const auto once = saveState (processor);
    loadState (processor, blockOf (model));
    EXPECT_EQ (saveState (processor), once);
}

TEST_F (State, AnInstanceInAnotherHostGetsItsLatencyFromTheMasterAfterPrepare)
{
    auto& master = Testing::manualMaster();
    TavoAudioProcessor processor;
    processor.prepareToPlay (48000.0, 512);
    EXPECT_EQ (processor.getLatencySamples(), 0);

    master.runOnePass();
    EXPECT_TRUE (Testing::dispatchUntil ([&] { return processor.getLatencySamples() == 9600; }));
}

TEST_F (State, ALoadedInstanceReportsItsLatencyAtPrepare)
{
    Model model = makeDefaultModel();
    model.mutable_global_config()->set_lookahead_buffer_ms (300);

    TavoAudioProcessor processor;
    loadState (processor, blockOf (model));
    processor.prepareToPlay (44100.0, 512);
    EXPECT_EQ (processor.getLatencySamples(), 13230);
}

TEST_F (State, ForeignLookaheadBelowTheRangeIsClampedForTheDelayLine)
{
    Model model = makeDefaultModel();
    model.mutable_global_config()->set_lookahead_buffer_ms (2);

    TavoAudioProcessor processor;
    processor.prepareToPlay (44100.0, 512);
    loadState (processor, blockOf (model));
    EXPECT_EQ (processor.getLatencySamples(), 6615); // 150 ms
}
} // namespace Tavo
