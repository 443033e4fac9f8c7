#include "model/ModelRules.h"
#include "model/StateBlock.h"
#include "processor/TavoAudioProcessor.h"
#include "services/GlobalSettings.h"
#include "support/FakeHost.h"

#include <gtest/gtest.h>

namespace Tavo
{
namespace
{
    struct GlobalLookahead : ::testing::Test
    {
        GlobalLookahead() { GlobalSettings::settingsFile().deleteFile(); }
        ~GlobalLookahead() override { GlobalSettings::settingsFile().deleteFile(); }

        static void enter (HostKind kind)
        {
            Testing::FakeHostEnvironment environment;
            environment.host = kind;
            Testing::enterHost (environment);
        }
    };
} // namespace

TEST_F (GlobalLookahead, LogicKeepsTheLookaheadPerUserAcrossProcesses)
{
    enter (HostKind::logic);
    auto& master = Testing::manualMaster();

    {
        TavoAudioProcessor processor;
        EXPECT_EQ (processor.copyModel().global_config().lookahead_buffer_ms(), 500);

        setGlobalLookahead (300);
        master.runOnePass();
        EXPECT_EQ (processor.copyModel().global_config().lookahead_buffer_ms(), 300);
    }

    EXPECT_DOUBLE_EQ (GlobalSettings::readLogicLookahead(), 0.3);
    EXPECT_TRUE (GlobalSettings::settingsFile().loadFileAsString().contains ("logic_latency"));

    enter (HostKind::logic); // the next process
    TavoAudioProcessor later;
    EXPECT_EQ (later.copyModel().global_config().lookahead_buffer_ms(), 300);
}

TEST_F (GlobalLookahead, LogicOverridesTheLookaheadOfALoadedProject)
{
    enter (HostKind::logic);
    Testing::manualMaster();

    Model saved = makeDefaultModel();
    saved.mutable_global_config()->set_lookahead_buffer_ms (300);
    const auto block = StateBlock::serialise (saved);

    TavoAudioProcessor processor;
    processor.prepareToPlay (44100.0, 256);
    EXPECT_EQ (processor.getLatencySamples(), 22050); // reported from the first prepare

    processor.setStateInformation (block.data(), static_cast<int> (block.size()));
    EXPECT_EQ (processor.copyModel().global_config().lookahead_buffer_ms(), 500);
}

TEST_F (GlobalLookahead, OtherHostsNeverTouchTheSettingsFile)
{
    enter (HostKind::other);
    auto& master = Testing::manualMaster();

    TavoAudioProcessor a, b;
    setGlobalLookahead (400);
    master.runOnePass();

    EXPECT_FALSE (GlobalSettings::settingsFile().exists());
    EXPECT_EQ (a.copyModel().global_config().lookahead_buffer_ms(), 400);
    EXPECT_EQ (b.copyModel().global_config().lookahead_buffer_ms(), 400);
}

TEST_F (GlobalLookahead, AnUnreadableSettingsFileMeansTheDefault)
{
    GlobalSettings::settingsFile().create();
    GlobalSettings::settingsFile().replaceWithText ("<PROPERTIES><VALUE name=\"logic_latency\" val=");
    EXPECT_EQ (GlobalSettings::readLogicLookahead(), 0.5);
}
} // namespace Tavo
