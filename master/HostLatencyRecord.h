#pragma once

#include "host/HostEnvironment.h"

#include <functional>

namespace Tavo
{
/** The per-host defaults for the lookahead, filled once per process by the
    first processor that registers. */
struct HostLatencyRecord
{
    double lookaheadSeconds = 0.0;
    double marginSeconds = 0.0; // how far ahead of the delayed output a window is analysed
    bool reportByDefault = false;
};

/** The defaults for a host. readLogicLookahead is asked only in Logic, where
    the lookahead is a per-user setting. */
HostLatencyRecord loadHostLatencyRecord (const HostEnvironment& host,
                                         PluginWrapper wrapper,
                                         const std::function<double()>& readLogicLookahead);

/** The lookahead in whole milliseconds that a new model takes from a record. */
double lookaheadMillisecondsFor (const HostLatencyRecord& record);
} // namespace Tavo
