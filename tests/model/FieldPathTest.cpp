#include "Tavo.pb.h"
#include "model/FieldPath.h"
#include "model/ModelRules.h"
#include "model/StateBlock.h"

#include <gtest/gtest.h>

namespace Tavo
{
namespace
{
    const FieldPath enabledPath { { 1, 0 }, { 1, 0 } };
    const FieldPath groupPath { { 18, 0 } };
    const FieldPath enableModePath { { 19, 0 }, { 3, 0 } };
    const FieldPath groupGainPath { { 19, 0 }, { 2, 0 } };
    const FieldPath weightPath { { 26, 0 } };
} // namespace

TEST (FieldPath, DefaultModelReadsDeclaredDefaults)
{
    const auto model = makeDefaultModel();
    ASSERT_EQ (model.param_set_size(), 2);

    const auto& set = activeSet (model);
    EXPECT_EQ (weightPath.read (set), 100.0);
    EXPECT_EQ (enabledPath.read (set), 1.0);
    EXPECT_EQ (groupPath.read (set), 0.0);
    EXPECT_EQ (enableModePath.read (set), 0.0);

    // Absence must be told by presence: the declared default is outside the range.
    EXPECT_FALSE (model.global_config().has_lookahead_buffer_ms());
    EXPECT_EQ (model.global_config().lookahead_buffer_ms(), 0.0);
}

TEST (FieldPath, WritesClampAndRoundLikeHostValues)
{
    struct Case
    {
        const FieldPath* path;
        double written;
        double stored;
    };

    const Case cases[] = {
        { &groupPath, 2.6, 3 },      { &groupPath, 70, 64 },     { &groupPath, -1, 0 },
        { &groupPath, 32.19, 32 },   { &groupPath, 32.64, 33 },  { &enableModePath, 2.5, GROUP_OFF },
        { &enableModePath, 2.4, GROUP_PHASE_LOCK },              { &enableModePath, 9, GROUP_OFF },
        { &enabledPath, 0.01, 1 },   { &enabledPath, 0, 0 },     { &weightPath, 1180, 1000 },
        { &groupGainPath, -25, -20 }, { &groupGainPath, 1.3, 1.3 },
    };

    for (const auto& c : cases)
    {
        ParamSet set;
        c.path->write (set, c.written);
        EXPECT_EQ (c.path->read (set), c.stored) << "writing " << c.written;
    }
}

TEST (FieldPath, WriteCreatesAbsentMessagesAndMarksThemPresent)
{
    ParamSet set;
    groupGainPath.write (set, -3.5);

    EXPECT_TRUE (set.has_group_params());
    EXPECT_TRUE (set.group_params().has_gain());
    EXPECT_FALSE (set.group_params().has_enable_mode());
}

TEST (FieldPath, IndicesOutOfRangeReadZeroAndWritesGrowTheField)
{
    const FieldPath fourthWeight { { 2, 3 }, { 26, 0 } };
    Model model;

    EXPECT_EQ (fourthWeight.read (model), 0.0);

    fourthWeight.write (model, 250.0);
    ASSERT_EQ (model.param_set_size(), 4);
    EXPECT_EQ (model.param_set (3).weight(), 250.0);
    EXPECT_FALSE (model.param_set (0).has_weight());
}

TEST (FieldPath, UnresolvableStepsReadZeroAndWriteNothing)
{
    const FieldPath unknownField { { 99, 0 } };
    ParamSet set;

    EXPECT_EQ (unknownField.read (set), 0.0);
    unknownField.write (set, 5.0);
    EXPECT_EQ (set.ByteSizeLong(), 0u);
}

TEST (FieldPath, RangesComeFromTheSchemaOptions)
{
    const auto* weight = ParamSet::descriptor()->FindFieldByNumber (26);
    const auto* mode = GroupParams::descriptor()->FindFieldByNumber (3);
    const auto* lookahead = GlobalConfig::descriptor()->FindFieldByNumber (17);

    EXPECT_EQ (fieldRangeOf (*weight).minimum, 100.0);
    EXPECT_EQ (fieldRangeOf (*weight).maximum, 1000.0);
    EXPECT_EQ (fieldRangeOf (*mode).maximum, 3.0);
    EXPECT_EQ (fieldRangeOf (*lookahead).minimum, 150.0);
    EXPECT_EQ (fieldRangeOf (*lookahead).maximum, 1000.0);
    EXPECT_FALSE (fieldRangeOf (*weight).logarithmic);
}

TEST (ModelMerge, OnlyPresentFieldsOverride)
{
    ParamSet destination;
    destination.set_group (7);
    destination.set_weight (300);

    ParamSet source;
    source.set_gain (-4);
    destination.MergeFrom (source);

    EXPECT_EQ (destination.gain(), -4);
    EXPECT_EQ (destination.group(), 7);
    EXPECT_EQ (destination.weight(), 300);
}

TEST (ModelRules, LookaheadOutsideItsRangeIsClampedBeforeUse)
{
    GlobalConfig config;
    EXPECT_EQ (effectiveLookaheadMilliseconds (config), 150.0); // absent reads 0

    config.set_lookahead_buffer_ms (5);
    EXPECT_EQ (effectiveLookaheadMilliseconds (config), 150.0);

    config.set_lookahead_buffer_ms (1e9);
    EXPECT_EQ (effectiveLookaheadMilliseconds (config), 1000.0);

    config.set_lookahead_buffer_ms (std::numeric_limits<double>::quiet_NaN());
    EXPECT_EQ (effectiveLookaheadMilliseconds (config), 150.0);
}

TEST (ModelRules, DelayLengthsFollowTheRate)
{
    EXPECT_EQ (lookaheadSamplesAt (200, 44100), 8820);
    EXPECT_EQ (lookaheadSamplesAt (150, 44100), 6615);
    EXPECT_EQ (lookaheadSamplesAt (500, 48000), 24000);
}

TEST (ModelRules, GainsBelowMinus100DecibelsAreSilence)
{
    EXPECT_EQ (gainFromDecibels (-100.0f), 0.0f);
    EXPECT_EQ (gainFromDecibels (-150.0f), 0.0f);
    EXPECT_FLOAT_EQ (gainFromDecibels (-40.0f), 0.01f);
    EXPECT_EQ (gainFromDecibels (0.0f), 1.0f);
}
} // namespace Tavo
