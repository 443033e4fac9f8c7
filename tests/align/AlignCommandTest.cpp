#include "AlignCommand.h"
#include "AlignOptions.h"
#include "support/FakeHost.h"
#include "support/Signals.h"

#include <juce_audio_formats/juce_audio_formats.h>

#include <gtest/gtest.h>

#include <sstream>

namespace Tavo::Align
{
namespace
{
    struct AlignCommand : ::testing::Test
    {
        AlignCommand()
        {
            Testing::enterHost ({});
            folder.createDirectory();
        }

        ~AlignCommand() override { folder.deleteRecursively(); }

        juce::File folder = juce::File::createTempFile ("tavo-align-test");

        struct Run
        {
            int exitCode;
            std::string out;
            std::string err;
        };

        Run run (std::vector<std::string> arguments)
        {
            arguments.insert (arguments.begin(), "tavo-align");
            std::vector<const char*> argv;

            for (const auto& a : arguments)
                argv.push_back (a.c_str());

            std::ostringstream out, err;
            const auto code = runAlignCommand (int (argv.size()), argv.data(), out, err);
            return { code, out.str(), err.str() };
        }

        std::string path (const std::string& name) const { return folder.getChildFile (name).getFullPathName().toStdString(); }

        void writeWav (const std::string& name, const std::vector<std::vector<float>>& channels, double rate = 48000.0,
                       int bits = 24)
        {
            juce::AudioBuffer<float> audio (int (channels.size()), int (channels.front().size()));

            for (size_t c = 0; c < channels.size(); ++c)
                audio.copyFrom (int (c), 0, channels[c].data(), int (channels[c].size()));

            const auto file = folder.getChildFile (name);
            file.deleteFile();
            juce::WavAudioFormat wav;
            std::unique_ptr<juce::AudioFormatWriter> writer (
                wav.createWriterFor (file.createOutputStream().release(), rate, unsigned (channels.size()), bits, {}, 0));
            writer->writeFromAudioSampleBuffer (audio, 0, audio.getNumSamples());
        }

        juce::AudioBuffer<float> readWav (const std::string& file)
        {
            juce::WavAudioFormat wav;
            std::unique_ptr<juce::AudioFormatReader> reader (
                wav.createReaderFor (juce::File (file).createInputStream().release(), true));
            juce::AudioBuffer<float> audio (int (reader->numChannels), int (reader->lengthInSamples));
            reader->read (&audio, 0, audio.getNumSamples(), 0, true, true);
            return audio;
        }

        static std::vector<float> tone (int length) { return Testing::Signals::bandLimitedNoise (length, 48000, 100, 8000, 3); }
    };
} // namespace

TEST_F (AlignCommand, TrackArgumentsCarryTheirSettings)
{
    const auto spec = parseTrackSpec ("takes/kick_in.wav:group=1,weight=300,gain=-3.5");
    EXPECT_EQ (spec.file, "takes/kick_in.wav");
    EXPECT_EQ (spec.group, 1);
    EXPECT_EQ (spec.weight, 300.0);
    EXPECT_EQ (spec.gainDb, -3.5);

    EXPECT_EQ (parseTrackSpec ("C:plain.wav").file, "C:plain.wav"); // a colon without settings is part of the name
    EXPECT_FALSE (parseTrackSpec ("room.flac").group.has_value());
    EXPECT_EQ (parseGroupMode ("phase-lock"), GROUP_PHASE_LOCK);
}

TEST_F (AlignCommand, BadInvocationsSayWhatIsWrong)
{
    writeWav ("a.wav", { tone (4800) });
    writeWav ("b44.wav", { tone (4800) }, 44100.0);
    writeWav ("three.wav", { tone (100), tone (100), tone (100) });
    writeWav ("empty.wav", { std::vector<float>() });
    folder.getChildFile ("garbage.wav").replaceWithText ("not audio");
    folder.getChildFile ("blocked").replaceWithText ("a file where the output folder should be");

    struct Case
    {
        std::vector<std::string> arguments;
        int exitCode;
        std::string message;
    };

    const auto out = path ("out");
    const Case cases[] = {
        { { path ("a.wav") }, 2, "no output folder" },
        { { "-o", out }, 2, "no input files" },
        { { path ("a.wav") + ":group=65", "-o", out }, 2, "0 to 64" },
        { { path ("a.wav") + ":weight=50", "-o", out }, 2, "outside 100 to 1000" },
        { { path ("a.wav") + ":colour=red", "-o", out }, 2, "unknown track setting 'colour'" },
        { { path ("a.wav"), "--group-mode", "1=sideways", "-o", out }, 2, "unknown group mode 'sideways'" },
        { { path ("a.wav"), "--group-mode", "1=full", "-o", out }, 2, "no track is in group 1" },
        { { path ("a.wav"), "--group-gain", "0=-3", "-o", out }, 2, "group 0 means no group" },
        { { path ("a.wav"), "--lookahead", "20", "-o", out }, 2, "lookahead" },
        { { path ("a.wav"), "--frobnicate", "-o", out }, 2, "frobnicate" },
        { { path ("missing.wav"), "-o", out }, 1, "missing.wav: no such file" },
        { { path ("garbage.wav"), "-o", out }, 1, "garbage.wav: cannot be read as audio" },
        { { path ("three.wav"), "-o", out }, 1, "three.wav: has 3 channels" },
        { { path ("empty.wav"), "-o", out }, 1, "empty.wav: holds no audio" },
        { { path ("a.wav"), path ("b44.wav"), "-o", out }, 1, "b44.wav: has a sample rate of 44100 Hz but a.wav has 48000 Hz" },
        { { path ("a.wav"), "-o", path ("blocked") }, 1, "blocked: is a file" },
        { { path ("a.wav"), "-o", folder.getFullPathName().toStdString() }, 1, "is an input; inputs are never overwritten" },
    };

    for (const auto& c : cases)
    {
        const auto result = run (c.arguments);
        EXPECT_EQ (result.exitCode, c.exitCode) << c.message;
        EXPECT_NE (result.err.find (c.message), std::string::npos) << "expected '" << c.message << "' in: " << result.err;
        EXPECT_EQ (std::count (result.err.begin(), result.err.end(), '\n'), 1) << result.err;
    }
}

TEST_F (AlignCommand, HelpExplainsEveryOptionWithAnExample)
{
    const auto result = run ({ "--help" });
    EXPECT_EQ (result.exitCode, 0);

    for (const auto* option : { "--output", "--group-mode", "--group-gain", "--lookahead", "--low-focus", "--enabled",
                                "--mix", "--report", "--plot", "--force", "--quiet", "--demo", "Example" })
        EXPECT_NE (result.out.find (option), std::string::npos) << option;
}

TEST_F (AlignCommand, ExistingOutputsAreReplacedOnlyWithForce)
{
    writeWav ("a.wav", { tone (9600) });
    const auto out = path ("out");
    ASSERT_EQ (run ({ path ("a.wav"), "-o", out, "-q" }).exitCode, 0);

    const auto again = run ({ path ("a.wav"), "-o", out, "-q" });
    EXPECT_EQ (again.exitCode, 1);
    EXPECT_NE (again.err.find ("exists (use --force to replace it)"), std::string::npos);

    EXPECT_EQ (run ({ path ("a.wav"), "-o", out, "-q", "--force" }).exitCode, 0);

    // Nothing half-written is left beside the outputs.
    for (const auto& file : juce::File (out).findChildFiles (juce::File::findFiles, false, "*partial*"))
        ADD_FAILURE() << file.getFullPathName();
}

TEST_F (AlignCommand, ASessionComesOutAlignedLineForLineWithItsInputs)
{
    const int length = 48000 * 3;
    const auto source = tone (length);
    const auto turned = Testing::Signals::rotated (source, 1.4);
    const auto inverted = Testing::Signals::rotated (source, M_PI);
    writeWav ("close.wav", { source });
    writeWav ("far.wav", { turned, turned });
    writeWav ("under.wav", { inverted });

    const auto out = path ("out");
    const auto result = run ({ path ("close.wav"), path ("far.wav"), path ("under.wav"), "-o", out, "--mix",
                               path ("out/mix.wav"), "--plot", path ("out/plot.png"), "-q" });
    ASSERT_EQ (result.exitCode, 0) << result.err;

    const auto close = readWav (path ("out/close.wav"));
    const auto far = readWav (path ("out/far.wav"));
    EXPECT_EQ (close.getNumSamples(), length);
    EXPECT_EQ (far.getNumChannels(), 2);
    EXPECT_TRUE (juce::File (path ("out/plot.png")).existsAsFile());
    EXPECT_TRUE (juce::File (path ("out/tavo-report.json")).loadFileAsString().contains ("\"final_angle_deg\""));

    // The output mix over the last two seconds against the inputs' best alignment.
    const auto mix = readWav (path ("out/mix.wav"));
    std::vector<float> mixed (static_cast<size_t> (length));

    for (int i = 0; i < length; ++i)
        mixed[size_t (i)] = mix.getSample (0, i);

    const auto from = 48000, to = length;
    const auto best = Testing::Signals::bestAlignedEnergy ({ source, turned, inverted }, from, to);
    EXPECT_NEAR (10.0 * std::log10 (Testing::Signals::energy (mixed, from, to) / best), 0.0, 0.2);
}

TEST_F (AlignCommand, RerunsGiveBitIdenticalFiles)
{
    const auto source = tone (48000);
    writeWav ("a.wav", { source });
    writeWav ("b.wav", { Testing::Signals::rotated (source, 2.0) });

    for (const auto* run_ : { "first", "second" })
        ASSERT_EQ (run ({ path ("a.wav"), path ("b.wav"), "-o", path (run_), "-q" }).exitCode, 0);

    // Instance numbers keep counting within one process, so the reports differ there.
    for (const auto* name : { "a.wav", "b.wav" })
    {
        juce::MemoryBlock first, second;
        juce::File (path (std::string ("first/") + name)).loadFileAsData (first);
        juce::File (path (std::string ("second/") + name)).loadFileAsData (second);
        EXPECT_TRUE (first == second) << name;
    }
}
} // namespace Tavo::Align
