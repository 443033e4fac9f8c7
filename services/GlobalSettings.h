#pragma once

#include <juce_data_structures/juce_data_structures.h>

namespace Tavo
{
/** The per-user settings file "Tavo.settings" in "Brellic/Tavo" of the user's
    application-data folder. It holds the lookahead that Logic hosts keep per
    user instead of per project, and is neither read nor written elsewhere. */
namespace GlobalSettings
{
    inline constexpr const char* logicLatencyKey = "logic_latency";
    inline constexpr double defaultLogicLookaheadSeconds = 0.5;

    juce::File settingsFile();

    /** The stored per-user lookahead in seconds, 0.5 when none is stored or
        the file cannot be read. */
    double readLogicLookahead();

    /** Stores the per-user lookahead; returns false when the file could not
        be saved (the in-memory value stays in force). */
    bool writeLogicLookahead (double seconds);
} // namespace GlobalSettings

/** Sets the process-wide lookahead; the master carries it into every
    instance at its next pass. In Logic it also becomes the per-user setting.
    Message thread. */
void setGlobalLookahead (double milliseconds);
} // namespace Tavo
