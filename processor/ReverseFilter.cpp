#include "processor/ReverseFilter.h"

#include "processor/AllpassLanes.h"

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
    for (auto* block : { &inputBlock, &outputBlock, &fullWindow, &halfWindow })
        block->reserve ((std::size_t) std::max (2, maxBlockLength));
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

    // u falls from 1 at index 0 to 0 at the middle of the block and rises
    // again; read from the oldest sample of the pass, both forms give a
    // triangle that peaks in the middle of the pass.
    fullWindow.resize ((std::size_t) blockLength);
    halfWindow.resize ((std::size_t) blockLength);

    for (int j = 0; j < blockLength; ++j)
    {
        const float u = std::fabs ((float) (1.0 - (double) slope * (double) j));
        halfWindow[(std::size_t) j] = u;
        fullWindow[(std::size_t) j] = 1.0f - u;
    }

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

void ReverseFilter::runPass()
{
    ReverseFilter* self[] = { this };
    runPasses (self, 1);
}

void ReverseFilter::runPasses (ReverseFilter* const* filters, int numFilters)
{
    const auto& first = *filters[0];
    const bool fullPass = (first.pos == 0);
    const auto* window = (fullPass ? first.fullWindow : first.halfWindow).data();

    // The half just filled holds the newest samples, so the backward run
    // starts there and carries its state on into the older half.
    const int newestBegin = fullPass ? first.half : 0;
    const int newestEnd = fullPass ? first.blockLength : first.half;
    const int oldestBegin = fullPass ? 0 : first.half;
    const int oldestEnd = fullPass ? first.half : first.blockLength;

    AllpassChain* chains[] = { &filters[0]->chain, numFilters > 1 ? &filters[1]->chain : nullptr };
    AllpassLanes lanes;
    lanes.gather (chains, 2);
    lanes.clearState();

    const float* in0 = filters[0]->inputBlock.data();
    const float* in1 = numFilters > 1 ? filters[1]->inputBlock.data() : in0;
    float* out0 = filters[0]->outputBlock.data();
    float* out1 = numFilters > 1 ? filters[1]->outputBlock.data() : nullptr;

    const auto input = [&] (int j) { return _mm_unpacklo_ps (_mm_load_ss (in0 + j), _mm_load_ss (in1 + j)); };

    // The newest half starts a new overlap-add sum; the older half
    // completes the sum that the previous pass began.
    runAllpassLanes (
        lanes, newestEnd - newestBegin, [&] (int i) { return input (newestEnd - 1 - i); },
        [&] (int i, __m128 v)
        {
            const int j = newestEnd - 1 - i;
            const auto y = _mm_mul_ps (_mm_set1_ps (window[j]), v);
            _mm_store_ss (out0 + j, y);

            if (out1 != nullptr)
                _mm_store_ss (out1 + j, _mm_shuffle_ps (y, y, _MM_SHUFFLE (1, 1, 1, 1)));
        });

    runAllpassLanes (
        lanes, oldestEnd - oldestBegin, [&] (int i) { return input (oldestEnd - 1 - i); },
        [&] (int i, __m128 v)
        {
            const int j = oldestEnd - 1 - i;
            const auto previous =
                _mm_unpacklo_ps (_mm_load_ss (out0 + j), _mm_load_ss (out1 != nullptr ? out1 + j : out0 + j));
            const auto y = _mm_add_ps (previous, _mm_mul_ps (_mm_set1_ps (window[j]), v));
            _mm_store_ss (out0 + j, y);

            if (out1 != nullptr)
                _mm_store_ss (out1 + j, _mm_shuffle_ps (y, y, _MM_SHUFFLE (1, 1, 1, 1)));
        });

    // The chains' state is cleared at the start of every pass; it is left
    // as the scalar run would leave it all the same.
    lanes.scatter (chains, 2);
}

void ReverseFilter::pushBlock (ReverseFilter* const* filters, int numFilters, const float* const* input,
                               float* const* output, int count)
{
    auto& first = *filters[0];
    int done = 0;

    while (done < count)
    {
        // Up to the next pass, pushing is plain copying.
        const int passAt = first.pos < first.half ? first.half : first.blockLength;
        const int run = std::min (count - done, passAt - first.pos);

        for (int f = 0; f < numFilters; ++f)
        {
            auto& filter = *filters[f];
            std::copy_n (filter.outputBlock.data() + filter.pos, run, output[f] + done);
            std::copy_n (input[f] + done, run, filter.inputBlock.data() + filter.pos);
            filter.pos += run;

            if (filter.pos == filter.blockLength)
                filter.pos = 0;
        }

        done += run;

        if (first.pos == 0 || first.pos == first.half)
            runPasses (filters, numFilters);
    }
}

} // namespace Tavo
