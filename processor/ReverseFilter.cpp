#include "processor/ReverseFilter.h"

#include <algorithm>
#include <cassert>
#include <cmath>

namespace Tavo
{

ReverseFilter::ReverseFilter()
{
    configure (0, 2);
}

void ReverseFilter::loadChain (const std::vector<float>& coefficients)
{
    chain.load (coefficients);
}

void ReverseFilter::reserve (int maxBlockLength)
{
    inputBlock.reserve ((std::size_t) std::max (2, maxBlockLength));
    outputBlock.reserve ((std::size_t) std::max (2, maxBlockLength));
}

void ReverseFilter::configure (int newStartOffset, int newBlockLength)
{
    // Shorter blocks have no half to overlap; callers must size N from a
    // valid lookahead, but a bad value must not lead to writes out of bounds.
    assert (newBlockLength >= 2);
    blockLength = std::max (2, newBlockLength);

    assert (newStartOffset >= 0 && newStartOffset < blockLength);
    startOffset = std::clamp (newStartOffset, 0, blockLength - 1);

    inputBlock.assign ((std::size_t) blockLength, 0.0f);
    outputBlock.assign ((std::size_t) blockLength, 0.0f);
    half = blockLength / 2;
    slope = (float) (2.0 / (double) (float) blockLength);

    reset();
}

void ReverseFilter::reset()
{
    std::fill (inputBlock.begin(), inputBlock.end(), 0.0f);
    std::fill (outputBlock.begin(), outputBlock.end(), 0.0f);
    pos = startOffset;
}

float ReverseFilter::push (float input)
{
    const float output = outputBlock[(std::size_t) pos];
    inputBlock[(std::size_t) pos] = input;

    if (++pos == blockLength)
    {
        pos = 0;
        runPass();
    }
    else if (pos == half)
    {
        runPass();
    }

    return output;
}

float ReverseFilter::windowGain (int index, bool fullPass) const
{
    // u falls from 1 at index 0 to 0 at the middle of the block and rises
    // again; read from the oldest sample of the pass, both forms give a
    // triangle that peaks in the middle of the pass.
    const float u = std::fabs ((float) (1.0 - (double) slope * (double) index));
    return fullPass ? 1.0f - u : u;
}

void ReverseFilter::runPass()
{
    const bool fullPass = (pos == 0);

    // The half just filled holds the newest samples, so the backward run
    // starts there and carries its state on into the older half.
    const int newestBegin = fullPass ? half : 0;
    const int newestEnd = fullPass ? blockLength : half;
    const int oldestBegin = fullPass ? 0 : half;
    const int oldestEnd = fullPass ? half : blockLength;

    chain.clear();

    // The newest half starts a new overlap-add sum; the older half
    // completes the sum that the previous pass began.
    for (int j = newestEnd - 1; j >= newestBegin; --j)
        outputBlock[(std::size_t) j] = windowGain (j, fullPass) * chain.process (inputBlock[(std::size_t) j]);

    for (int j = oldestEnd - 1; j >= oldestBegin; --j)
        outputBlock[(std::size_t) j] += windowGain (j, fullPass) * chain.process (inputBlock[(std::size_t) j]);
}

} // namespace Tavo
