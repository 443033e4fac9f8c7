#include "model/ModelRules.h"
#include "processor/TavoAudioProcessor.h"
#include "support/FakeHost.h"

#include <gtest/gtest.h>

namespace Tavo
{
namespace
{
    struct Parameters : ::testing::Test
    {
        Parameters() { Testing::manualMaster(); }

        TavoAudioProcessor processor;

        juce::AudioProcessorParameter& parameter (int index) { return *processor.getParameters()[index]; }

        double stored (int index)
        {
            return processor.getParamTable().entry (index).path.read (activeSet (processor.copyModel()));
        }
    };
} // namespace

TEST_F (Parameters, HostsSeeSevenNamedParametersWithStableIdentifiers)
{
    const char* names[] = { "Global Enabled", "Global Low Freq Focus", "Group", "Group Enable Mode",
                            "Group Gain", "Gain", "Weight" };
    const char* identifiers[] = { "global_enabled", "global_low_freq_focus", "group", "group_enable_mode",
                                  "group_gain", "gain", "weight" };

    ASSERT_EQ (processor.getParameters().size(), 7);

    for (int i = 0; i < 7; ++i)
    {
        EXPECT_EQ (parameter (i).getName (256), names[i]);
        EXPECT_EQ (parameter (i).getLabel(), "");
        EXPECT_TRUE (parameter (i).isAutomatable());
        EXPECT_EQ (dynamic_cast<juce::HostedAudioProcessorParameter&> (parameter (i)).getParameterID(), identifiers[i]);
    }

    EXPECT_EQ (processor.parameterName (7), "");
    EXPECT_EQ (processor.parameterName (-1), "");
}

TEST_F (Parameters, ANewInstanceReportsTheDefaults)
{
    const float normalised[] = { 1, 0, 0, 0, 0.5f, 0.5f, 0 };
    const char* texts[] = { "1.00", "0.00", "0.00", "0.00", "0.00", "0.00", "100.00" };

    for (int i = 0; i < 7; ++i)
    {
        EXPECT_EQ (parameter (i).getValue(), normalised[i]) << i;
        EXPECT_EQ (parameter (i).getDefaultValue(), normalised[i]) << i;
        EXPECT_EQ (parameter (i).getCurrentValueAsText(), texts[i]) << i;
    }
}

TEST_F (Parameters, HostWritesAreClampedAndRoundedIntoTheModel)
{
    struct Case
    {
        int index;
        float normalised;
        double stored;
    };

    const Case cases[] = {
        { 2, 0.5f, 32 },   { 2, 0.503f, 32 },  { 2, 0.51f, 33 },  { 3, 0.5f, GROUP_PHASE_LOCK },
        { 3, 1.0f, GROUP_OFF },                 { 0, 0.01f, 1 },   { 0, 0.0f, 0 },
        { 6, 1.2f, 1000 }, { 5, -0.1f, -20 },   { 5, 0.4125f, -3.500000238418579 },
    };

    for (const auto& c : cases)
    {
        parameter (c.index).setValue (c.normalised);
        EXPECT_EQ (stored (c.index), c.stored) << "parameter " << c.index << " at " << c.normalised;
    }
}

TEST_F (Parameters, AWriteMarksTheSetChanged)
{
    processor.paramsChanged.store (0);
    parameter (5).setValue (0.3f);
    EXPECT_EQ (processor.paramsChanged.load(), 1);
}

TEST_F (Parameters, TextsShowPlainValuesAndParseBack)
{
    EXPECT_EQ (parameter (5).getText (0.4125f, 100), "-3.50");
    EXPECT_EQ (parameter (2).getText (1.0f, 100), "64.00");

    for (int i = 0; i < 7; ++i)
    {
        for (float x : { 0.0f, 0.25f, 0.5f, 1.0f })
        {
            const auto text = parameter (i).getText (x, 100);
            EXPECT_NEAR (parameter (i).getValueForText (text), x, 0.001) << i << " " << text;
        }
    }

    EXPECT_EQ (parameter (6).getValueForText ("550 ms"), 0.5f);
    EXPECT_EQ (parameter (6).getValueForText ("loud"), processor.normalisedFromValue (6, 0.0f));
}
} // namespace Tavo
