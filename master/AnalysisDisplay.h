#pragma once

#include "master/PhaseResult.h"

#include <array>
#include <cstdint>

namespace Tavo
{
/** What the master leaves in a processor for its editor's graph after each
    analysis: the peer table of the phase view and the bands of the frequency
    view. Written by the master thread only. */
struct AnalysisDisplay
{
    static constexpr int maxPeers = 1024;
    static constexpr int numBands = 28;

    std::int32_t peerCount = 0;
    std::array<PeerLink, maxPeers> peers {};
    std::array<std::int32_t, maxPeers> peerInstance {};
    std::array<std::int32_t, maxPeers> peerEditorOpen {};
    std::array<std::int32_t, maxPeers> peerGroup {};
    std::int64_t lastResultTime = 0; // wall-clock milliseconds of the latest publication

    std::array<BandCoherence, numBands> bands {};
    float overallCoherence = 0.0f;
    std::array<BandSums, numBands> bandSums {};
};
} // namespace Tavo
