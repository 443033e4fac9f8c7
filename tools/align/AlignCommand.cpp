#include "AlignCommand.h"

#include "AlignError.h"
#include "AlignOptions.h"
#include "AlignSession.h"
#include "AudioFiles.h"
#include "DemoSession.h"
#include "ProgressBar.h"
#include "Report.h"

#include <juce_graphics/juce_graphics.h>

#include <ostream>

namespace Tavo::Align
{
namespace
{
    juce::File resolve (const std::string& path)
    {
        return juce::File::getCurrentWorkingDirectory().getChildFile (path);
    }

    juce::File prepareOutputFolder (const std::string& path)
    {
        const auto folder = resolve (path);

        if (folder.existsAsFile())
            throw fileError (path, "is a file; the output folder must be a folder");

        if (! folder.isDirectory() && ! folder.createDirectory())
            throw fileError (path, "cannot be created");

        if (! folder.hasWriteAccess())
            throw fileError (path, "is not writable");

        return folder;
    }

    int align (AlignOptions options, std::ostream& out)
    {
        const auto folder = prepareOutputFolder (options.outputFolder);

        if (options.demo)
            options.tracks = writeDemoSession (folder.getChildFile ("inputs"), options.force);

        std::vector<std::string> files;

        for (const auto& track : options.tracks)
            files.push_back (track.file);

        const auto inputs = readInputs (files);

        // Every destination is checked before the work starts.
        std::vector<juce::File> outputs;

        for (const auto& input : inputs)
        {
            outputs.push_back (folder.getChildFile (input.file.getFileName()));

            for (size_t i = 0; i + 1 < outputs.size(); ++i)
                if (outputs[i] == outputs.back())
                    throw usageError ("two inputs are named " + input.file.getFileName().toStdString()
                                      + "; their outputs would collide");
        }

        const auto report = options.reportFile.empty() ? folder.getChildFile ("tavo-report.json") : resolve (options.reportFile);
        std::vector<juce::File> destinations (outputs);
        destinations.push_back (report);

        if (! options.mixFile.empty())
            destinations.push_back (resolve (options.mixFile));

        if (! options.plotFile.empty())
            destinations.push_back (resolve (options.plotFile));

        for (const auto& destination : destinations)
            checkDestination (destination, options.force, inputs);

        double longest = 0.0;

        for (const auto& input : inputs)
            longest = std::max (longest, input.audio.getNumSamples() / input.sampleRate);

        AlignResult result;
        {
            ProgressBar progress (longest, ! options.quiet);
            result = alignTracks (options, inputs, [&] (double done) { progress.update (done); });
        }

        for (size_t k = 0; k < inputs.size(); ++k)
            writeAudio (outputs[k], result.tracks[k].aligned, result.sampleRate, inputs[k], options.force);

        if (! options.mixFile.empty())
            writeAudio (resolve (options.mixFile), result.mixAfter, result.sampleRate, inputs.front(), options.force);

        writeText (report, reportJson (result, inputs), options.force);

        if (! options.plotFile.empty())
        {
            juce::MemoryOutputStream png;
            juce::PNGImageFormat().writeImageToStream (plotImage (result, inputs), png);
            writeData (resolve (options.plotFile), png.getMemoryBlock(), options.force);
        }

        out << summaryTable (result, inputs);
        out << "aligned files are in " << folder.getFullPathName() << "\n";
        return 0;
    }
} // namespace

int runAlignCommand (int argc, const char* const* argv, std::ostream& out, std::ostream& err)
{
    try
    {
        std::string help;
        auto options = parseCommandLine (argc, argv, help);

        if (! help.empty())
        {
            out << help;
            return 0;
        }

        return align (std::move (options), out);
    }
    catch (const AlignError& error)
    {
        err << "tavo-align: error: " << error.what() << "\n";
        return error.exitCode();
    }
    catch (const std::bad_alloc&)
    {
        err << "tavo-align: error: out of memory\n";
        return 1;
    }
}
} // namespace Tavo::Align
