#include "AlignOptions.h"

#include "AlignError.h"

#include <CLI/CLI.hpp>

#include <sstream>

namespace Tavo::Align
{
namespace
{
    double parseNumber (const std::string& text, const std::string& what)
    {
        std::size_t used = 0;
        double value = 0.0;

        try
        {
            value = std::stod (text, &used);
        }
        catch (const std::exception&)
        {
            used = 0;
        }

        if (used != text.size() || text.empty() || ! std::isfinite (value))
            throw usageError ("'" + text + "' is not a number for " + what);

        return value;
    }

    int parseGroup (const std::string& text)
    {
        const auto value = parseNumber (text, "a group");

        if (value != std::floor (value) || value < 0 || value > 64)
            throw usageError ("group '" + text + "' is not a whole number from 0 to 64");

        return static_cast<int> (value);
    }

    void checkRange (double value, double lo, double hi, const std::string& what)
    {
        if (value < lo || value > hi)
        {
            std::ostringstream text;
            text << what << " " << value << " is outside " << lo << " to " << hi;
            throw usageError (text.str());
        }
    }

    // "N=VALUE" pairs of the per-group options.
    std::pair<int, std::string> splitGroupSetting (const std::string& argument, const std::string& option)
    {
        const auto equals = argument.find ('=');

        if (equals == std::string::npos)
            throw usageError (option + " takes GROUP=VALUE, got '" + argument + "'");

        const auto group = parseGroup (argument.substr (0, equals));

        if (group == 0)
            throw usageError (option + ": group 0 means no group; it has no settings of its own");

        return { group, argument.substr (equals + 1) };
    }
} // namespace

GroupEnableMode parseGroupMode (const std::string& name)
{
    if (name == "full")
        return GROUP_FULL;
    if (name == "internal-only")
        return GROUP_INTERNAL_ONLY;
    if (name == "phase-lock")
        return GROUP_PHASE_LOCK;
    if (name == "off")
        return GROUP_OFF;

    throw usageError ("unknown group mode '" + name + "' (use full, internal-only, phase-lock or off)");
}

TrackSpec parseTrackSpec (const std::string& argument)
{
    TrackSpec spec;
    const auto colon = argument.rfind (':');

    // A colon only starts settings when what follows looks like key=value.
    if (colon == std::string::npos || argument.find ('=', colon) == std::string::npos)
    {
        spec.file = argument;
        return spec;
    }

    spec.file = argument.substr (0, colon);
    std::istringstream settings (argument.substr (colon + 1));
    std::string setting;

    while (std::getline (settings, setting, ','))
    {
        const auto equals = setting.find ('=');

        if (equals == std::string::npos)
            throw usageError ("track setting '" + setting + "' of " + spec.file + " is not key=value");

        const auto key = setting.substr (0, equals);
        const auto value = setting.substr (equals + 1);

        if (key == "group")
            spec.group = parseGroup (value);
        else if (key == "gain")
        {
            spec.gainDb = parseNumber (value, "gain");
            checkRange (*spec.gainDb, -20, 20, "gain");
        }
        else if (key == "weight")
        {
            spec.weight = parseNumber (value, "weight");
            checkRange (*spec.weight, 100, 1000, "weight");
        }
        else
            throw usageError ("unknown track setting '" + key + "' of " + spec.file + " (use group, gain or weight)");
    }

    if (spec.file.empty())
        throw usageError ("a track argument has no file name: '" + argument + "'");

    return spec;
}

AlignOptions parseCommandLine (int argc, const char* const* argv, std::string& help)
{
    AlignOptions options;
    std::vector<std::string> trackArguments, groupModes, groupGains;
    std::string enabled = "on";

    CLI::App app { "Aligns the phases of the tracks of a multi-microphone recording, as the Tavo plug-in does\n"
                   "on every track of a session, and writes one aligned file per input.\n\n"
                   "Example:\n"
                   "  tavo-align kick_in.wav:group=1 kick_out.wav:group=1,weight=300 snare_top.wav \\\n"
                   "             snare_bottom.wav overheads.wav:gain=-3 --group-mode 1=phase-lock -o aligned\n",
                   "tavo-align" };

    app.add_option ("files", trackArguments,
                    "Input files (WAV, AIFF, FLAC; mono or stereo; one sample rate), each optionally followed by\n"
                    ":group=N (0-64, 0 = no group), gain=DB (-20..20) and weight=W (100..1000),\n"
                    "e.g. kick_in.wav:group=1,weight=300");
    app.add_option ("-o,--output", options.outputFolder, "Folder for the aligned files (created if missing)");
    app.add_option ("--group-mode", groupModes,
                    "Mode of a group: GROUP=full|internal-only|phase-lock|off, e.g. --group-mode 1=phase-lock");
    app.add_option ("--group-gain", groupGains, "Gain of a group in dB (-20..20): GROUP=DB, e.g. --group-gain 2=-3");
    app.add_option ("--lookahead", options.lookaheadMs, "Lookahead in ms (150..1000; default 200)")
        ->check (CLI::Range (150.0, 1000.0));
    app.add_flag ("--low-focus", options.lowFrequencyFocus, "Focus the analysis on low frequencies (below 800 Hz)");
    app.add_option ("--enabled", enabled, "Turn the correction on or off: on|off (off only delays nothing)")
        ->check (CLI::IsMember ({ "on", "off" }));
    app.add_option ("--mix", options.mixFile, "Also write the aligned mixdown to this file, e.g. --mix mix.wav");
    app.add_option ("--report", options.reportFile, "Where to write the JSON report (default OUTDIR/tavo-report.json)");
    app.add_option ("--plot", options.plotFile, "Draw every track's angle and the mix level into this PNG file");
    app.add_flag ("--force", options.force, "Replace output files that exist");
    app.add_flag ("-q,--quiet", options.quiet, "Print no progress");
    app.add_flag ("--demo", options.demo, "Synthesise a short drum session into OUTDIR/inputs and align it");
    app.add_option ("--block-size", options.blockSize, "Samples per processing block (default 512)")
        ->check (CLI::Range (16, 4096));

    try
    {
        app.parse (argc, argv);
    }
    catch (const CLI::CallForHelp&)
    {
        help = app.help();
        return options;
    }
    catch (const CLI::ParseError& error)
    {
        throw usageError (error.what());
    }

    options.enabled = enabled == "on";

    for (const auto& argument : trackArguments)
        options.tracks.push_back (parseTrackSpec (argument));

    for (const auto& argument : groupModes)
    {
        const auto [group, value] = splitGroupSetting (argument, "--group-mode");
        options.groupModes[group] = parseGroupMode (value);
    }

    for (const auto& argument : groupGains)
    {
        const auto [group, value] = splitGroupSetting (argument, "--group-gain");
        const auto gain = parseNumber (value, "a group gain");
        checkRange (gain, -20, 20, "group gain");
        options.groupGainsDb[group] = gain;
    }

    if (options.outputFolder.empty())
        throw usageError ("no output folder: add -o OUTDIR");

    if (options.tracks.empty() && ! options.demo)
        throw usageError ("no input files (see --help)");

    if (! options.tracks.empty() && options.demo)
        throw usageError ("--demo makes its own inputs; give no files with it");

    return options;
}
} // namespace Tavo::Align
