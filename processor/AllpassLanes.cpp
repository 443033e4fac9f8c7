#include "processor/AllpassLanes.h"

namespace Tavo
{
void AllpassLanes::gather (AllpassChain* const* chains, int numLanes)
{
    alignas (16) float c[maxLanes], y1[maxLanes], x1[maxLanes];
    sections = 0;

    for (int k = 0; k < numLanes; ++k)
        if (chains[k] != nullptr)
            sections = chains[k]->numSections;

    for (int s = 0; s < sections; ++s)
    {
        for (int k = 0; k < maxLanes; ++k)
        {
            const auto* chain = k < numLanes ? chains[k] : nullptr;
            c[k] = chain != nullptr ? chain->coefficient[size_t (s)] : 0.0f;
            y1[k] = chain != nullptr ? chain->previousOutput[size_t (s)] : 0.0f;
        }

        coefficient[s] = _mm_load_ps (c);
        previousOutput[s] = _mm_load_ps (y1);
    }

    for (int k = 0; k < maxLanes; ++k)
        x1[k] = k < numLanes && chains[k] != nullptr ? chains[k]->previousInput[0] : 0.0f;

    firstInput = _mm_load_ps (x1);
}

void AllpassLanes::clearState()
{
    for (int s = 0; s < sections; ++s)
        previousOutput[s] = _mm_setzero_ps();

    firstInput = _mm_setzero_ps();
}

void AllpassLanes::scatter (AllpassChain* const* chains, int numLanes) const
{
    alignas (16) float y1[AllpassChain::maxSections][maxLanes], x1[maxLanes];

    for (int s = 0; s < sections; ++s)
        _mm_store_ps (y1[s], previousOutput[s]);

    _mm_store_ps (x1, firstInput);

    for (int k = 0; k < numLanes; ++k)
    {
        auto* chain = chains[k];

        if (chain == nullptr)
            continue;

        for (int s = 0; s < sections; ++s)
        {
            chain->previousOutput[size_t (s)] = y1[s][k];
            chain->previousInput[size_t (s)] = s == 0 ? x1[k] : y1[s - 1][k];
        }
    }
}
} // namespace Tavo
