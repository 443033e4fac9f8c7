#include "processor/AllpassChain.h"
#include "processor/ReverseFilter.h"

#include <gtest/gtest.h>

#include <random>
#include <utility>
#include <vector>

namespace Tavo
{
namespace
{

const std::vector<float> someCoefficients { -0.95f, -0.5f, 0.3f };

std::vector<float> noise (int length, unsigned seed)
{
    std::mt19937 generator (seed);
    std::uniform_real_distribution<float> distribution (-1.0f, 1.0f);
    std::vector<float> samples ((std::size_t) length);

    for (auto& sample : samples)
        sample = distribution (generator);

    return samples;
}

std::vector<float> pushAll (ReverseFilter& filter, const std::vector<float>& input)
{
    std::vector<float> output;

    for (float sample : input)
        output.push_back (filter.push (sample));

    return output;
}

TEST (ReverseFilterTest, ImpulseComesOutReversedWindowedAndDelayedByBlock)
{
    AllpassChain chain;
    chain.load (someCoefficients);
    std::vector<float> h;

    for (int n = 0; n < 8; ++n)
        h.push_back (chain.process (n == 0 ? 1.0f : 0.0f));

    // Block of 8, unit impulse first: the chain's response comes out
    // backwards in time under the rising half of the window and ends with the
    // impulse itself, N samples late (output index 8). Where the passes fall,
    // set by the start offset, decides how much of the response is seen.
    struct Case { int startOffset; std::vector<std::pair<std::size_t, float>> nonZero; };
    const Case cases[] {
        { 0, { { 5, 0.25f * h[3] }, { 6, 0.5f * h[2] }, { 7, 0.75f * h[1] }, { 8, h[0] } } },
        { 2, { { 3, 0.25f * h[5] }, { 4, 0.5f * h[4] }, { 5, 0.75f * h[3] }, { 6, h[2] }, { 7, h[1] }, { 8, h[0] } } },
    };

    for (const auto& c : cases)
    {
        SCOPED_TRACE (::testing::Message() << "offset " << c.startOffset);

        ReverseFilter filter;
        filter.loadChain (someCoefficients);
        filter.configure (c.startOffset, 8);

        std::vector<float> impulse (40, 0.0f);
        impulse[0] = 1.0f;
        const auto output = pushAll (filter, impulse);

        std::vector<float> expected (40, 0.0f);

        for (const auto& [index, value] : c.nonZero)
            expected[index] = value;

        for (std::size_t n = 0; n < expected.size(); ++n)
            EXPECT_FLOAT_EQ (output[n], expected[n]) << "output index " << n;
    }
}

TEST (ReverseFilterTest, WindowsSumToOneSoIdentityChainIsPureDelay)
{
    struct Case { int startOffset, blockLength; };

    for (const auto& c : { Case { 0, 2 }, Case { 1, 2 }, Case { 0, 8 }, Case { 5, 8 },
                           Case { 3, 7 }, Case { 8, 9 }, Case { 17, 64 } })
    {
        SCOPED_TRACE (::testing::Message() << "offset " << c.startOffset << ", N " << c.blockLength);

        ReverseFilter filter;
        filter.loadChain ({});
        filter.configure (c.startOffset, c.blockLength);

        const auto input = noise (20 * c.blockLength, 5);
        const auto output = pushAll (filter, input);

        // Before 2N some outputs have only one of their two windowed parts.
        for (std::size_t n = 2 * (std::size_t) c.blockLength; n < input.size(); ++n)
            ASSERT_NEAR (output[n], input[n - (std::size_t) c.blockLength], 1.0e-6f) << "sample " << n;
    }
}

TEST (ReverseFilterTest, ResetRestartsLikeFreshFilter)
{
    const auto input = noise (100, 6);

    ReverseFilter fresh;
    fresh.loadChain (someCoefficients);
    fresh.configure (3, 10);
    const auto expected = pushAll (fresh, input);

    ReverseFilter used;
    used.loadChain (someCoefficients);
    used.configure (3, 10);
    pushAll (used, noise (37, 7));
    used.reset();

    EXPECT_EQ (pushAll (used, input), expected);
}

TEST (ReverseFilterDeathTest, InvalidConfigurationIsRefused)
{
    struct Case { int startOffset, blockLength; };

    for (const auto& c : { Case { 0, 1 }, Case { 0, 0 }, Case { 0, -4 }, Case { 8, 8 }, Case { -1, 8 } })
    {
        SCOPED_TRACE (::testing::Message() << "offset " << c.startOffset << ", N " << c.blockLength);
        ReverseFilter filter;

        // Asserts in debug builds; release builds clamp so that nothing is
        // written out of bounds.
        EXPECT_DEBUG_DEATH (filter.configure (c.startOffset, c.blockLength), "");
        EXPECT_GE (filter.getBlockLength(), 2);
        pushAll (filter, noise (3 * filter.getBlockLength(), 8));
    }
}

} // namespace
} // namespace Tavo
