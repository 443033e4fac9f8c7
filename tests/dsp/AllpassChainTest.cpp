#include "processor/AllpassChain.h"

#include <gtest/gtest.h>

#include <random>
#include <vector>

namespace Tavo
{
namespace
{

std::vector<float> noise (int length, unsigned seed)
{
    std::mt19937 generator (seed);
    std::uniform_real_distribution<float> distribution (-1.0f, 1.0f);
    std::vector<float> samples ((std::size_t) length);

    for (auto& sample : samples)
        sample = distribution (generator);

    return samples;
}

std::vector<float> impulseResponse (AllpassChain& chain, int length)
{
    std::vector<float> response;

    for (int n = 0; n < length; ++n)
        response.push_back (chain.process (n == 0 ? 1.0f : 0.0f));

    return response;
}

TEST (AllpassChainTest, EmptyChainPassesInputUnchanged)
{
    AllpassChain chain;
    chain.load ({});

    for (float sample : noise (64, 1))
        EXPECT_EQ (chain.process (sample), sample);
}

TEST (AllpassChainTest, ZeroCoefficientSectionIsOneSampleDelay)
{
    AllpassChain chain;
    chain.load ({ 0.0f });

    float previous = 0.0f;

    for (float sample : noise (64, 2))
    {
        EXPECT_EQ (chain.process (sample), previous);
        previous = sample;
    }
}

TEST (AllpassChainTest, SectionHasAllpassImpulseResponse)
{
    // (c + z^-1) / (1 + c z^-1) has h[0] = c and h[n] = (1 - c^2) (-c)^(n-1);
    // with c = 0.5 every value is exact in single precision.
    AllpassChain chain;
    chain.load ({ 0.5f });

    const std::vector<float> expected { 0.5f, 0.75f, -0.375f, 0.1875f, -0.09375f };
    EXPECT_EQ (impulseResponse (chain, (int) expected.size()), expected);
}

TEST (AllpassChainTest, ClearAndLoadForgetThePast)
{
    const std::vector<float> coefficients { -0.9f, -0.4f, 0.2f, 0.7f };

    AllpassChain fresh;
    fresh.load (coefficients);
    const auto expected = impulseResponse (fresh, 32);

    AllpassChain used;
    used.load (coefficients);

    for (float sample : noise (100, 3))
        used.process (sample);

    used.clear();
    EXPECT_EQ (impulseResponse (used, 32), expected);

    for (float sample : noise (100, 4))
        used.process (sample);

    used.load (coefficients);
    EXPECT_EQ (impulseResponse (used, 32), expected);
}

} // namespace
} // namespace Tavo
