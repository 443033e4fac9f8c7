#include "processor/AllpassChain.h"

#include <algorithm>
#include <cassert>

namespace Tavo
{

void AllpassChain::load (const std::vector<float>& coefficients)
{
    assert (coefficients.size() <= (std::size_t) maxSections);

    numSections = (int) std::min (coefficients.size(), (std::size_t) maxSections);
    std::copy_n (coefficients.begin(), numSections, coefficient.begin());
    std::fill (coefficient.begin() + numSections, coefficient.end(), 0.0f);
    clear();
}

void AllpassChain::clear()
{
    previousInput.fill (0.0f);
    previousOutput.fill (0.0f);
}

float AllpassChain::process (float input)
{
    float v = input;

    for (std::size_t s = 0; s < (std::size_t) numSections; ++s)
    {
        // Three single-precision steps, each rounded, in this fixed order so
        // that every build gives the same samples (the build must not fuse
        // the multiply and the add into one FMA).
        float y = v - previousOutput[s];
        y = y * coefficient[s];
        y = y + previousInput[s];

        previousInput[s] = v;
        previousOutput[s] = y;
        v = y;
    }

    return v;
}

} // namespace Tavo
