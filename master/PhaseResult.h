#pragma once

#include <complex>
#include <cstdint>

namespace Tavo
{
/** One correction for a track: from timeline position `position` (input time)
    on, the track's delayed audio is rotated by `phase` radians. */
struct PhaseResult
{
    std::int32_t position = 0;
    float phase = 0.0f;
    float phaseCopy = 0.0f; // 0 for a track of a group that is off
    float marker = 0.0f;    // pi for a track of a group that is off
};

/** This track's agreement with one peer in the latest analysis. */
struct PeerLink
{
    std::complex<float> correlation;        // before correction
    std::complex<float> alignedCorrelation; // after both corrections
};

/** One third-octave band of the frequency view. */
struct BandCoherence
{
    float coherence = 0.0f;
    float ownLevel = 0.0f;
    float othersLevel = 0.0f;
};

/** The smoothed sums behind one band of the frequency view. */
struct BandSums
{
    float cross = 0.0f;
    float ownPower = 0.0f;
    float othersPower = 0.0f;
};
} // namespace Tavo
