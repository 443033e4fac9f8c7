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

    /** The built plug-in of one format, loaded as a host loads it. */
    std::unique_ptr<juce::AudioPluginInstance> loadInstance (int formatIndex, double rate, int blockSize)
    {
        const auto bundle = bundles()[size_t (formatIndex)];
        auto format = bundle.makeFormat();
        juce::OwnedArray<juce::PluginDescription> found;
        format->findAllTypesForFile (found, bundle.locate (*format));

        if (found.isEmpty())
            return nullptr;

        juce::String error;
        return format->createInstanceFromDescription (*found[0], rate, blockSize, error);
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

namespace Tavo
{
namespace
{
    bool isClean (float sample) { return std::isfinite (sample) && (sample == 0.0f || std::abs (sample) >= std::numeric_limits<float>::min()); }

    /** Plays noise blocks through an instance and checks every output sample. */
    ::testing::AssertionResult playsCleanly (juce::AudioPluginInstance& instance, int blockSize, int blocks, juce::Random& random)
    {
        juce::AudioBuffer<float> buffer (2, blockSize);
        juce::MidiBuffer midi;

        for (int b = 0; b < blocks; ++b)
        {
            for (int c = 0; c < 2; ++c)
                for (int i = 0; i < blockSize; ++i)
                    buffer.setSample (c, i, random.nextFloat() * 2.0f - 1.0f);

            instance.processBlock (buffer, midi);

            for (int c = 0; c < 2; ++c)
                for (int i = 0; i < blockSize; ++i)
                    if (! isClean (buffer.getSample (c, i)))
                        return ::testing::AssertionFailure() << "sample " << buffer.getSample (c, i) << " in block " << b
                                                             << " of " << blockSize;
        }

        return ::testing::AssertionSuccess();
    }

    juce::MemoryBlock stateOf (juce::AudioPluginInstance& instance)
    {
        juce::MemoryBlock block;
        instance.getStateInformation (block);
        return block;
    }
} // namespace

TEST_P (PluginBundles, ManyInstancesOpenAndCloseInQuickSuccession)
{
    for (int round = 0; round < 12; ++round)
    {
        std::vector<std::unique_ptr<juce::AudioPluginInstance>> instances;

        for (int i = 0; i < 3; ++i)
        {
            instances.push_back (loadInstance (GetParam(), 48000.0, 256));
            ASSERT_NE (instances.back(), nullptr);
        }
    }
}

TEST_P (PluginBundles, ProcessesAnyRateAndBlockSizeCleanly)
{
    juce::Random random (3);

    for (const auto rate : { 44100.0, 48000.0, 96000.0 })
    {
        auto instance = loadInstance (GetParam(), rate, 512);
        ASSERT_NE (instance, nullptr);
        instance->prepareToPlay (rate, 512);

        // Blocks of every size, with no play head. LV2 hosts may send blocks
        // longer than announced; a VST3 host must prepare for them first
        // (the format's wrapper sizes its buffers at prepare time).
        const bool isVst3 = bundles()[size_t (GetParam())].what == std::string ("VST3");

        for (const auto blockSize : { 1, 7, 64, 512, 1000, 4096 })
        {
            if (isVst3 && blockSize > 512)
                instance->prepareToPlay (rate, blockSize);

            EXPECT_TRUE (playsCleanly (*instance, blockSize, blockSize == 1 ? 2000 : 40, random)) << rate;
        }

        instance->releaseResources();
    }
}

TEST_P (PluginBundles, StateComesBackByteForByte)
{
    auto instance = loadInstance (GetParam(), 48000.0, 512);
    ASSERT_NE (instance, nullptr);

    // Values that a load's round trip through the normalised range keeps
    // exactly, as it keeps every value a host has written once.
    const float values[] = { 1.0f, 1.0f, 0.5f, 1.0f, 0.25f, 0.75f, 0.5f };

    for (auto* parameter : instance->getParameters())
    {
        const auto index = juce::StringArray (parameterNames, 7).indexOf (parameter->getName (100));

        if (index >= 0)
            parameter->setValueNotifyingHost (values[index]);
    }

    // A load writes every parameter field, so a state is a fixed point once
    // it has been through one load: from then on it comes back unchanged.
    auto loaded = loadInstance (GetParam(), 48000.0, 512);
    const auto first = stateOf (*instance);
    loaded->setStateInformation (first.getData(), int (first.getSize()));
    const auto saved = stateOf (*loaded);

    auto other = loadInstance (GetParam(), 48000.0, 512);
    other->setStateInformation (saved.getData(), int (saved.getSize()));
    EXPECT_TRUE (stateOf (*other) == saved);
}

TEST_P (PluginBundles, ParameterTextsTurnBackIntoTheirValues)
{
    auto instance = loadInstance (GetParam(), 48000.0, 512);
    ASSERT_NE (instance, nullptr);

    for (auto* parameter : instance->getParameters())
    {
        if (! juce::StringArray (parameterNames, 7).contains (parameter->getName (100)))
            continue; // a bypass switch the wrapper adds

        // Switches know only on and off.
        const auto values = parameter->isBoolean() ? std::vector<float> { 0.0f, 1.0f }
                                                   : std::vector<float> { 0.0f, 0.25f, 0.5f, 1.0f };

        for (const auto x : values)
        {
            const auto text = parameter->getText (x, 100);
            EXPECT_NEAR (parameter->getValueForText (text), x, 0.002f) << parameter->getName (100) << " " << text;
        }
    }
}

TEST_P (PluginBundles, FuzzedParametersAndRandomStateLeaveAWorkingInstance)
{
    auto instance = loadInstance (GetParam(), 48000.0, 512);
    ASSERT_NE (instance, nullptr);
    instance->prepareToPlay (48000.0, 512);
    juce::Random random (11);

    for (int round = 0; round < 30; ++round)
    {
        for (auto* parameter : instance->getParameters())
            parameter->setValue (random.nextFloat() * 1.4f - 0.2f);

        juce::MemoryBlock garbage (size_t (random.nextInt (200)));

        for (size_t i = 0; i < garbage.getSize(); ++i)
            garbage[i] = char (random.nextInt (256));

        instance->setStateInformation (garbage.getData(), int (garbage.getSize()));
        ASSERT_TRUE (playsCleanly (*instance, 512, 4, random)) << "round " << round;
        EXPECT_GT (stateOf (*instance).getSize(), 0u);
    }
}
} // namespace Tavo

namespace Tavo
{
TEST (PluginMetadata, TheLv2DescriptionNamesClassLicenceAndMaker)
{
    const auto ttl = juce::File (TAVO_LV2_BUNDLE).getChildFile ("dsp.ttl").loadFileAsString();

    for (const auto* expected : { "lv2:UtilityPlugin", "doap:license", "foaf:mbox <mailto:", "foaf:homepage <https://" })
        EXPECT_TRUE (ttl.contains (expected)) << expected;
}
} // namespace Tavo

namespace Tavo
{
TEST (PluginMetadata, BinariesExportTheirEntryPointsOnly)
{
    struct Binary
    {
        juce::File file;
        juce::StringArray entryPoints;
    };

    const Binary binaries[] = {
        { juce::File (TAVO_LV2_BUNDLE).getChildFile ("libTavo.so"), { "lv2_descriptor", "lv2ui_descriptor" } },
        { juce::File (TAVO_VST3_BINARY), { "GetPluginFactory", "ModuleEntry", "ModuleExit" } },
    };

    for (const auto& binary : binaries)
    {
        juce::ChildProcess nm;
        ASSERT_TRUE (nm.start (juce::StringArray { "nm", "-D", "--defined-only", binary.file.getFullPathName() }));
        const auto output = nm.readAllProcessOutput();
        juce::StringArray exported;

        for (const auto& line : juce::StringArray::fromLines (output))
            if (line.trim().isNotEmpty())
                exported.add (line.fromLastOccurrenceOf (" ", false, false));

        exported.sort (false);
        auto expected = binary.entryPoints;
        expected.sort (false);
        EXPECT_EQ (exported, expected) << binary.file.getFileName() << ":\n" << output;
    }
}
} // namespace Tavo
