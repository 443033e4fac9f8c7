#include "Tavo.pb.h"
#include "model/ParamTable.h"

#include <gtest/gtest.h>

namespace Tavo
{
TEST (ParamTable, SevenParametersInHostOrderWithTheirRanges)
{
    struct Row
    {
        const char* name;
        double minimum;
        double maximum;
        ParamScaling scaling;
        std::vector<FieldPathStep> path;
    };

    const Row expected[] = {
        { "Global Enabled", 0, 1, ParamScaling::TOGGLE, { { 1, 0 }, { 1, 0 } } },
        { "Global Low Freq Focus", 0, 1, ParamScaling::TOGGLE, { { 1, 0 }, { 16, 0 } } },
        { "Group", 0, 64, ParamScaling::LINEAR, { { 18, 0 } } },
        { "Group Enable Mode", 0, 3, ParamScaling::LINEAR, { { 19, 0 }, { 3, 0 } } },
        { "Group Gain", -20, 20, ParamScaling::LINEAR, { { 19, 0 }, { 2, 0 } } },
        { "Gain", -20, 20, ParamScaling::LINEAR, { { 24, 0 } } },
        { "Weight", 100, 1000, ParamScaling::LINEAR, { { 26, 0 } } },
    };

    const ParamDesc labels;
    const ParamTable table (labels);
    ASSERT_EQ (table.size(), 7);

    for (int i = 0; i < table.size(); ++i)
    {
        const auto& entry = table.entry (i);
        const auto& row = expected[i];
        EXPECT_EQ (entry.name, row.name);
        EXPECT_EQ (entry.minimum, row.minimum) << row.name;
        EXPECT_EQ (entry.maximum, row.maximum) << row.name;
        EXPECT_EQ (entry.scaling, row.scaling) << row.name;

        ASSERT_EQ (entry.path.steps().size(), row.path.size()) << row.name;

        for (size_t s = 0; s < row.path.size(); ++s)
            EXPECT_EQ (entry.path.steps()[s].fieldNumber, row.path[s].fieldNumber) << row.name;
    }
}

TEST (ParamTable, SlotsIndexTheLabelledFields)
{
    const ParamDesc labels;
    const ParamTable table (labels);

    EXPECT_EQ (table.indexOf (ParamSlot::isEnabled), 0);
    EXPECT_EQ (table.indexOf (ParamSlot::weight), 6);
    EXPECT_EQ (table.indexOf (ParamSlot::groupGain), 4);
    EXPECT_EQ (table.indexOf (ParamSlot::globalParams), -1);
    EXPECT_EQ (table.indexOf (ParamSlot::groupParams), -1);
}

TEST (ParamTable, NamesFollowTheLabels)
{
    struct Shouting final : ParamDescBase
    {
        std::string globalParams() const override { return "ALL"; }
        std::string isEnabled() const override { return "ON"; }
        std::string isLowFreqFocus() const override { return "LOW"; }
        std::string group() const override { return "GRP"; }
        std::string groupParams() const override { return "G"; }
        std::string enableMode() const override { return "MODE"; }
        std::string groupGain() const override { return "VOL"; }
        std::string gain() const override { return "LEVEL"; }
        std::string weight() const override { return "W"; }
        std::string lookaheadBufferMs() const override { return "LA"; }
    };

    const Shouting labels;
    const ParamTable table (labels);
    EXPECT_EQ (table.entry (0).name, "ALL ON");
    EXPECT_EQ (table.entry (2).name, "GRP");
    EXPECT_EQ (table.entry (4).name, "G VOL");
}
} // namespace Tavo
