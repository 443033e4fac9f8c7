#pragma once

#include "processor/AllpassChain.h"

#include <vector>

namespace Tavo
{

/** Runs an all-pass chain backwards in time, block by block, so that its
    phase response is negated; the price is a pure delay of one block.

    Every half block the chain is run from the newest sample back over the
    whole block; the results are weighted by triangular windows that overlap
    by half a block and sum to one, so each sample leaves exactly N samples
    after it went in. Followed by the forward chain of the other set of a
    Hilbert pair, this forms the quarter-period-shifted copy of the signal.

    configure() allocates and belongs to prepare time (or to the audio thread
    when a channel state is reconfigured); reset() and push() run on the audio
    thread and never allocate.
*/
class ReverseFilter
{
public:
    /** Starts configured with the smallest block so that push() is always safe. */
    ReverseFilter();

    /** Installs the coefficients of the chain that is run backwards. */
    void loadChain (const std::vector<float>& coefficients);

    /** Makes room for blocks of up to maxBlockLength samples, so that a later
        configure() within that length never allocates. Prepare time. */
    void reserve (int maxBlockLength);

    /** Sizes the blocks to blockLength samples (at least 2) and resets; the
        start offset staggers the passes of different instances.
    */
    void configure (int startOffset, int blockLength);

    /** Silences the blocks and rewinds to the start offset. */
    void reset();

    /** Takes one input sample and returns the output for the input that
        went in blockLength samples earlier.
    */
    float push (float input);

    /** Pushes `count` samples into each of numFilters filters (1 or 2) at
        once, the same as calling push() on each in turn; filters that are
        in step (see inStepWith) run their passes side by side in SIMD lanes.
    */
    static void pushBlock (ReverseFilter* const* filters, int numFilters, const float* const* input,
                           float* const* output, int count);

    /** True when both filters reach their passes at the same samples. */
    bool inStepWith (const ReverseFilter& other) const { return blockLength == other.blockLength && pos == other.pos; }

    int getBlockLength() const { return blockLength; }

private:
    void runPass();
    static void runPasses (ReverseFilter* const* filters, int numFilters);

    AllpassChain chain;
    std::vector<float> inputBlock;
    std::vector<float> outputBlock;
    // The window of every index for a full and a half pass, computed once
    // per configuration instead of twice per sample in every pass.
    std::vector<float> fullWindow;
    std::vector<float> halfWindow;
    int blockLength = 0;
    int half = 0;
    float slope = 0.0f;
    int startOffset = 0;
    int pos = 0;
};

} // namespace Tavo
