#pragma once

#include "Tavo.pb.h"
#include "master/HostLatencyRecord.h"

#include <juce_core/juce_core.h>

namespace Tavo
{
/** The process-wide configuration and host defaults. The message thread
    writes them (lookahead, latency reporting) while the master thread merges
    them into every instance, so every access takes one small lock that is
    never held while another lock is requested. */
class SharedConfig
{
public:
    GlobalConfig config() const;
    void mergeConfig (const GlobalConfig& source);
    void setLookaheadMilliseconds (double milliseconds);
    void setReportLatency (bool shouldReport);

    /** Gives the configuration the record's lookahead if it has none yet. */
    void fillLookaheadFromRecord();

    /** Back to a new process's state: no field set, a zeroed record. */
    void reset();

    HostLatencyRecord hostRecord() const;
    void setHostRecord (const HostLatencyRecord& record);
    void setHostLookaheadSeconds (double seconds);

private:
    mutable juce::CriticalSection lock;
    GlobalConfig globalConfig;
    HostLatencyRecord record;
};
} // namespace Tavo
