#pragma once

#include "Tavo.pb.h"

#include <map>
#include <optional>
#include <string>
#include <vector>

namespace Tavo::Align
{
/** One input file with the settings typed after it: FILE[:key=value,...]. */
struct TrackSpec
{
    std::string file;
    std::optional<int> group;
    std::optional<double> gainDb;
    std::optional<double> weight;
};

/** Everything the command line asks for. */
struct AlignOptions
{
    std::vector<TrackSpec> tracks;
    std::string outputFolder;
    std::map<int, GroupEnableMode> groupModes;
    std::map<int, double> groupGainsDb;
    std::optional<double> lookaheadMs;
    bool lowFrequencyFocus = false;
    bool enabled = true;
    std::string mixFile;
    std::string reportFile; // defaults to OUTDIR/tavo-report.json
    std::string plotFile;
    bool force = false;
    bool quiet = false;
    bool demo = false;
    int blockSize = 512;
};

/** Reads one track argument, e.g. "kick_in.wav:group=1,weight=300". */
TrackSpec parseTrackSpec (const std::string& argument);

/** Reads a group mode such as "phase-lock", "full", "internal-only", "off". */
GroupEnableMode parseGroupMode (const std::string& name);

/** Parses the command line; throws AlignError (usage) on any mistake. `help`
    receives the help text when --help was given (and nothing else is done). */
AlignOptions parseCommandLine (int argc, const char* const* argv, std::string& help);
} // namespace Tavo::Align
