#pragma once

#include "processor/AllpassChain.h"
#include "processor/FormulaFilter.h"
#include "processor/HilbertCoefficients.h"
#include "processor/ReverseFilter.h"
#include "processor/SampleRing.h"

#include <cstdint>
#include <memory>

namespace Tavo
{
/** Everything one audio channel of a processor keeps between samples: the
    delay line, the capture chains, the Hilbert path and the crossfade.
    Created at prepare time with room for the longest lookahead; the audio
    thread reconfigures and resets it without allocating. */
struct ChannelState
{
    static constexpr int delayCapacity = 1 << 19;

    ChannelState (const FormulaFilter& preFilter, int maxReverseBlock, int imagDelayCapacity);

    /** Loads the coefficients and sizes the Hilbert path, then resets. */
    void configure (const HilbertCoefficients& coefficients, int imagDelay, int reverseBlock, int startOffset);

    /** Empty rings and filters, angle 0, no crossfade. */
    void reset();

    SampleRing delay;
    std::unique_ptr<StructuredFilter::Processor> preFilter; // formulas other than first order
    double preFilterOutput = 0.0; // y[n-1] of a first-order pre-filter, run directly
    AllpassChain captureA;
    AllpassChain captureB;
    AllpassChain renderChain;
    ReverseFilter reverse;
    SampleRing imaginary;

    float currentAngle = 0.0f;
    float fromAngle = 0.0f;
    float toAngle = 0.0f;
    bool fading = false;
    std::int32_t fadeStart = 0; // output-timeline position of the crossfade's first sample
};
} // namespace Tavo
