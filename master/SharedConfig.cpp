#include "master/SharedConfig.h"

namespace Tavo
{
GlobalConfig SharedConfig::config() const
{
    const juce::ScopedLock sl (lock);
    return globalConfig;
}

void SharedConfig::mergeConfig (const GlobalConfig& source)
{
    const juce::ScopedLock sl (lock);
    globalConfig.MergeFrom (source);
}

void SharedConfig::setLookaheadMilliseconds (double milliseconds)
{
    const juce::ScopedLock sl (lock);
    globalConfig.set_lookahead_buffer_ms (milliseconds);
}

void SharedConfig::setReportLatency (bool shouldReport)
{
    const juce::ScopedLock sl (lock);
    globalConfig.set_report_latency (shouldReport);
}

void SharedConfig::fillLookaheadFromRecord()
{
    const juce::ScopedLock sl (lock);

    if (! globalConfig.has_lookahead_buffer_ms())
        globalConfig.set_lookahead_buffer_ms (record.lookaheadSeconds * 1000.0);
}

void SharedConfig::reset()
{
    const juce::ScopedLock sl (lock);
    globalConfig.Clear();
    record = {};
}

HostLatencyRecord SharedConfig::hostRecord() const
{
    const juce::ScopedLock sl (lock);
    return record;
}

void SharedConfig::setHostRecord (const HostLatencyRecord& newRecord)
{
    const juce::ScopedLock sl (lock);
    record = newRecord;
}

void SharedConfig::setHostLookaheadSeconds (double seconds)
{
    const juce::ScopedLock sl (lock);
    record.lookaheadSeconds = seconds;
}
} // namespace Tavo
