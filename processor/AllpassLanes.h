#pragma once

#include "processor/AllpassChain.h"

#include <emmintrin.h>

namespace Tavo
{
/** Up to four AllpassChains with the same number of sections, run side by
    side in the lanes of one SSE register: lane k belongs to chain k. Every
    lane performs its scalar chain's operations in the same order (subtract,
    multiply, add, each rounded to float), so the results are the same bits.

    Audio thread: gather() before a run, scatter() after it; idle lanes
    compute on zeros and are never written back.
*/
struct AllpassLanes
{
    static constexpr int maxLanes = 4;

    /** Loads lane k from chains[k] (null: an idle lane). All chains must
        have the same number of sections. */
    void gather (AllpassChain* const* chains, int numLanes);

    /** Zero state in every lane, keeping the coefficients. */
    void clearState();

    /** Writes each lane's state back into chains[k] (null: skipped). */
    void scatter (AllpassChain* const* chains, int numLanes) const;

    int sections = 0;
    __m128 coefficient[AllpassChain::maxSections];
    __m128 previousOutput[AllpassChain::maxSections]; // y1 of each section
    __m128 firstInput;                                // x1 of section 0
    // x1 of section s > 0 is always y1 of section s - 1: both hold the value
    // that passed between them one sample ago, so it is not stored twice.
};

namespace LanesDetail
{
    template <int Sections, typename Source, typename Sink>
    inline void run (AllpassLanes& lanes, int numSamples, Source& source, Sink& sink)
    {
        const int n = Sections > 0 ? Sections : lanes.sections;
        __m128 c[AllpassChain::maxSections]{};
        __m128 y1[AllpassChain::maxSections]{};

#pragma GCC unroll 16
        for (int s = 0; s < n; ++s)
        {
            c[s] = lanes.coefficient[s];
            y1[s] = lanes.previousOutput[s];
        }

        __m128 x1 = lanes.firstInput;

        for (int i = 0; i < numSamples; ++i)
        {
            __m128 v = source (i);
            __m128 previousInput = x1;
            x1 = v;

#pragma GCC unroll 16
            for (int s = 0; s < n; ++s)
            {
                __m128 y = _mm_sub_ps (v, y1[s]);
                y = _mm_mul_ps (y, c[s]);
                y = _mm_add_ps (y, previousInput);
                previousInput = y1[s];
                y1[s] = y;
                v = y;
            }

            sink (i, v);
        }

#pragma GCC unroll 16
        for (int s = 0; s < n; ++s)
            lanes.previousOutput[s] = y1[s];

        lanes.firstInput = x1;
    }
} // namespace LanesDetail

/** Runs numSamples samples through the lanes: source(i) gives the input
    vector of sample i, sink(i, v) takes its output. The section counts of
    the Hilbert tables get loops unrolled into registers. */
template <typename Source, typename Sink>
inline void runAllpassLanes (AllpassLanes& lanes, int numSamples, Source&& source, Sink&& sink)
{
    switch (lanes.sections)
    {
        case 8:
            LanesDetail::run<8> (lanes, numSamples, source, sink);
            break;
        case 9:
            LanesDetail::run<9> (lanes, numSamples, source, sink);
            break;
        case 10:
            LanesDetail::run<10> (lanes, numSamples, source, sink);
            break;
        default:
            LanesDetail::run<0> (lanes, numSamples, source, sink);
            break;
    }
}
} // namespace Tavo
