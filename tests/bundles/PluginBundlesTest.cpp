#include "host/PluginIdentity.h"

#include <juce_audio_processors/juce_audio_processors.h>

#include <gtest/gtest.h>

#include <cmath>

namespace Tavo
{
namespace
{
    juce::File vst3Bundle()
    {
        // The binary sits in Tavo.vst3/Contents/<architecture>/.
        return juce::File (TAVO_VST3_BINARY).getParentDirectory().getParentDirectory().getParentDirectory();
    }

    struct Bundle
    {
        const char* what;
        std::function<std::unique_ptr<juce::AudioPluginFormat>()> makeFormat;
        std::function<juce::String (juce::AudioPluginFormat&)> locate;
    };

    std::vector<Bundle> bundles()
    {
        return {
            { "LV2",
              [] { return std::make_unique<juce::LV2PluginFormat>(); },
              [] (juce::AudioPluginFormat& format) {
                  const juce::FileSearchPath path (juce::File (TAVO_LV2_BUNDLE).getParentDirectory().getFullPathName());
                  format.searchPathsForPlugins (path, true, false);
                  return juce::String (PluginIdentity::lv2Uri);
              } },
            { "VST3",
              [] { return std::make_unique<juce::VST3PluginFormat>(); },
              [] (juce::AudioPluginFormat&) { return vst3Bundle().getFullPathName(); } },
        };
    }

    const char* parameterNames[] = { "Global Enabled", "Global Low Freq Focus", "Group", "Group Enable Mode",
                                     "Group Gain", "Gain", "Weight" };
} // namespace

// One format per process: both builds register the same schemas with the
// process's one Protocol Buffers runtime.
struct PluginBundles : ::testing::TestWithParam<int>
{
};

INSTANTIATE_TEST_SUITE_P (Formats, PluginBundles, ::testing::Values (0, 1),
                          [] (const auto& info) { return std::string (bundles()[size_t (info.param)].what); });

TEST_P (PluginBundles, AHostFindsOpensAndRunsTheBuild)
{
    {
        const auto bundle = bundles()[size_t (GetParam())];
        auto format = bundle.makeFormat();

        juce::OwnedArray<juce::PluginDescription> found;
        format->findAllTypesForFile (found, bundle.locate (*format));
        ASSERT_EQ (found.size(), 1);

        const auto& description = *found[0];
        EXPECT_EQ (description.name, "Tavo");
        EXPECT_EQ (description.manufacturerName, "Brellic");

        if (bundle.what == std::string ("VST3")) // the LV2 host reads no version
            EXPECT_EQ (description.version, "1.0.6");
        EXPECT_FALSE (description.isInstrument);
        EXPECT_EQ (description.numInputChannels, 2);
        EXPECT_EQ (description.numOutputChannels, 2);

        juce::String error;
        auto instance = format->createInstanceFromDescription (description, 48000.0, 512, error);
        ASSERT_NE (instance, nullptr) << error;

        const auto& parameters = instance->getParameters();
        ASSERT_GE (parameters.size(), 7);

        // The VST3 host keeps the plug-in's order; the LV2 host orders by address.
        juce::StringArray names;

        for (auto* parameter : parameters)
            names.add (parameter->getName (100));

        for (int i = 0; i < 7; ++i)
        {
            if (bundle.what == std::string ("VST3"))
                EXPECT_EQ (names[i], juce::String (parameterNames[i])) << i;
            else
                EXPECT_TRUE (names.contains (parameterNames[i])) << parameterNames[i];
        }

        instance->prepareToPlay (48000.0, 512);
        juce::AudioBuffer<float> buffer (2, 512);
        juce::MidiBuffer midi;

        for (int block = 0; block < 50; ++block)
        {
            for (int c = 0; c < 2; ++c)
                for (int i = 0; i < 512; ++i)
                    buffer.setSample (c, i, std::sin (0.01f * float (block * 512 + i)));

            instance->processBlock (buffer, midi);

            for (int c = 0; c < 2; ++c)
                for (int i = 0; i < 512; ++i)
                    ASSERT_TRUE (std::isfinite (buffer.getSample (c, i)));
        }

        instance->releaseResources();
    }
}
} // namespace Tavo
