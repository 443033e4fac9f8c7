#pragma once

namespace Tavo
{
/** How the analysis keeps up, as the editor's graph shows it. */
enum AnalysisStatus
{
    STATUS_NORMAL = 0,
    STATUS_LAGGING = 1,    // a track's results fall behind, or the schedule stalls
    STATUS_OVERLOADED = 2, // the analysis has run without a break for half a second
};
} // namespace Tavo
