#include "master/HostLatencyRecord.h"

#include <algorithm>
#include <cmath>

namespace Tavo
{
namespace
{
    // The old engine's hardware that makes reported latency wrong by default.
    bool hasDspAcceleratedHardware (const HostEnvironment& host)
    {
        static constexpr int acceleratedCardTypes[] = { 20, 21, 26, 28, 31 };

        for (auto type : host.dspCardTypes())
            if (std::find (std::begin (acceleratedCardTypes), std::end (acceleratedCardTypes), type)
                != std::end (acceleratedCardTypes))
                return true;

        return host.hasAcceleratedDsp();
    }
} // namespace

HostLatencyRecord loadHostLatencyRecord (const HostEnvironment& host,
                                         PluginWrapper wrapper,
                                         const std::function<double()>& readLogicLookahead)
{
    switch (host.detectHost())
    {
        case HostKind::proTools:
        {
            HostLatencyRecord record { 0.15, 0.075, true };

            if (wrapper == PluginWrapper::rtas)
                record.reportByDefault = ! hasDspAcceleratedHardware (host) && host.engineVersion() >= 0x0A00;

            return record;
        }

        case HostKind::logic:
        {
            HostLatencyRecord record { 0.5, 0.1, true };

            if (readLogicLookahead)
                record.lookaheadSeconds = readLogicLookahead();

            return record;
        }

        case HostKind::other:
            break;
    }

    return { 0.2, 0.075, true };
}

double lookaheadMillisecondsFor (const HostLatencyRecord& record)
{
    return std::floor (record.lookaheadSeconds * 1000.0 + 0.5);
}
} // namespace Tavo
