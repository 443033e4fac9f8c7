#include "master/HostLatencyRecord.h"
#include "model/ModelRules.h"
#include "processor/TavoAudioProcessor.h"
#include "support/FakeHost.h"

#include <gtest/gtest.h>

namespace Tavo
{
TEST (HostDefaults, OneRowPerHost)
{
    using Testing::FakeHostEnvironment;

    struct Row
    {
        const char* what;
        FakeHostEnvironment host;
        double storedLogicLookahead; // what the settings file answers
        HostLatencyRecord expected;
    };

    const auto host = [] (HostKind kind, PluginWrapper wrapper, std::vector<int> cards, bool dsp, short engine) {
        FakeHostEnvironment environment;
        environment.host = kind;
        environment.wrapper = wrapper;
        environment.cards = std::move (cards);
        environment.acceleratedDsp = dsp;
        environment.engine = engine;
        return environment;
    };

    const Row rows[] = {
        { "Logic, nothing stored", host (HostKind::logic, PluginWrapper::vst, {}, false, 0), 0.5, { 0.5, 0.1, true } },
        { "Logic, 300 ms stored", host (HostKind::logic, PluginWrapper::aax, {}, false, 0), 0.3, { 0.3, 0.1, true } },
        { "Pro Tools VST", host (HostKind::proTools, PluginWrapper::vst, {}, false, 0), 0, { 0.15, 0.075, true } },
        { "Pro Tools AAX on DSP hardware", host (HostKind::proTools, PluginWrapper::aax, { 26 }, true, 0), 0, { 0.15, 0.075, true } },
        { "RTAS, new engine", host (HostKind::proTools, PluginWrapper::rtas, { 3, 7 }, false, 2560), 0, { 0.15, 0.075, true } },
        { "RTAS, old engine", host (HostKind::proTools, PluginWrapper::rtas, {}, false, 2559), 0, { 0.15, 0.075, false } },
        { "RTAS, engine reads negative", host (HostKind::proTools, PluginWrapper::rtas, {}, false, -5), 0, { 0.15, 0.075, false } },
        { "RTAS, DSP card", host (HostKind::proTools, PluginWrapper::rtas, { 5, 31 }, false, 4000), 0, { 0.15, 0.075, false } },
        { "RTAS, accelerated DSP", host (HostKind::proTools, PluginWrapper::rtas, {}, true, 4000), 0, { 0.15, 0.075, false } },
        { "any other host", host (HostKind::other, PluginWrapper::other, {}, false, 0), 0, { 0.2, 0.075, true } },
    };

    for (const auto& row : rows)
    {
        bool settingsRead = false;
        const auto record = loadHostLatencyRecord (row.host, row.host.wrapper, [&] {
            settingsRead = true;
            return row.storedLogicLookahead;
        });

        EXPECT_EQ (record.lookaheadSeconds, row.expected.lookaheadSeconds) << row.what;
        EXPECT_EQ (record.marginSeconds, row.expected.marginSeconds) << row.what;
        EXPECT_EQ (record.reportByDefault, row.expected.reportByDefault) << row.what;
        EXPECT_EQ (settingsRead, row.host.host == HostKind::logic) << row.what;
    }
}

TEST (HostDefaults, NewInstancesTakeTheirHostsLookahead)
{
    struct Row
    {
        HostKind host;
        double lookaheadMs;
    };

    for (const auto& row : { Row { HostKind::other, 200 }, Row { HostKind::proTools, 150 }, Row { HostKind::logic, 500 } })
    {
        Testing::FakeHostEnvironment environment;
        environment.host = row.host;
        Testing::enterHost (environment);
        Testing::manualMaster();

        TavoAudioProcessor processor;
        EXPECT_EQ (processor.copyModel().global_config().lookahead_buffer_ms(), row.lookaheadMs);
    }
}

TEST (HostDefaults, TheFirstInstanceOfTheProcessDecidesLatencyReporting)
{
    Testing::FakeHostEnvironment environment;
    environment.host = HostKind::proTools;
    environment.engine = 2000;
    environment.wrapper = PluginWrapper::aax;
    Testing::enterHost (environment);
    auto& master = Testing::manualMaster();

    TavoAudioProcessor first;

    environment.wrapper = PluginWrapper::rtas;
    setHostEnvironment (std::make_shared<Testing::FakeHostEnvironment> (environment));
    TavoAudioProcessor second;

    EXPECT_FALSE (master.sharedConfig().config().has_report_latency());

    // The same host with an old-engine RTAS instance first turns reporting off.
    Testing::enterHost (environment);
    TavoAudioProcessor third;
    ASSERT_TRUE (master.sharedConfig().config().has_report_latency());
    EXPECT_FALSE (master.sharedConfig().config().report_latency());
}
} // namespace Tavo
