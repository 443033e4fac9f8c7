#include "processor/FormulaFilter.h"

#include <gtest/gtest.h>

#include <cmath>
#include <random>
#include <limits>
#include <vector>

namespace Tavo
{
namespace
{

using Polynomial = RationalFunction::Polynomial;

constexpr double pi = 3.14159265358979323846;

std::vector<double> noise (int length, unsigned seed)
{
    std::mt19937 generator (seed);
    std::uniform_real_distribution<double> distribution (-1.0, 1.0);
    std::vector<double> samples ((std::size_t) length);

    for (auto& sample : samples)
        sample = distribution (generator);

    return samples;
}

RationalFunction delayBy (std::uint32_t samples)
{
    return { Polynomial::monomial (1.0, samples), Polynomial::monomial (1.0, 0) };
}

//==============================================================================
TEST (FormulaFilterTest, LowPassHasExpectedPoleConstant)
{
    // The design is 1 / ((1 + K) - K z^-1); K is read back from its pole term.
    struct Case { double cutoffHz, sampleRate, k, tolerance; };

    for (const auto& c : { Case { 20000.0, 44100.0, 0.35094, 5.0e-6 }, Case { 800.0, 44100.0, 8.77342, 5.0e-6 } })
    {
        SCOPED_TRACE (c.cutoffHz);
        const auto design = FormulaFilter::lowPass (c.cutoffHz, c.sampleRate);
        const auto& denominator = design.getDenominator();

        ASSERT_EQ (design.getNumerator().getNumTerms(), 1);
        ASSERT_EQ (denominator.getNumTerms(), 2);
        EXPECT_EQ (denominator.getTerm (1).exponent, 1u);
        EXPECT_NEAR (-denominator.getTerm (1).coefficient, c.k, c.tolerance);
        EXPECT_NEAR (denominator.getTerm (0).coefficient, 1.0 + c.k, c.tolerance);
    }
}

TEST (FormulaFilterTest, LowPassHasUnitGainAtZeroHertz)
{
    for (double cutoffHz : { 800.0, 20000.0 })
    {
        SCOPED_TRACE (cutoffHz);
        FormulaFilter filter;
        filter.setFormula (FormulaFilter::lowPass (cutoffHz, 44100.0));
        auto processor = filter.createProcessor();

        double output = 0.0;

        for (int n = 0; n < 2000; ++n)
            output = processor->process (1.0);

        EXPECT_NEAR (output, 1.0, 1.0e-12);
        EXPECT_NEAR (std::abs (filter.frequencyResponse (0.0)), 1.0, 1.0e-12);
    }
}

TEST (FormulaFilterTest, LowPassRunsOnePoleDifferenceEquation)
{
    const double k = 44100.0 / (2.0 * pi * 800.0);
    FormulaFilter filter;
    filter.setFormula (FormulaFilter::lowPass (800.0, 44100.0));
    auto processor = filter.createProcessor();

    double previous = 0.0;

    for (double x : noise (500, 9))
    {
        const double expected = (x + k * previous) / (1.0 + k);
        ASSERT_NEAR (processor->process (x), expected, 1.0e-12);
        previous = expected;
    }
}

TEST (FormulaFilterTest, NewFilterIsIdentity)
{
    FormulaFilter filter;
    auto processor = filter.createProcessor();

    for (double x : noise (20, 10))
        EXPECT_EQ (processor->process (x), x);
}

TEST (FormulaFilterTest, RedesignTakesEffectAtNextSampleInEveryProcessor)
{
    FormulaFilter filter;
    auto first = filter.createProcessor();
    auto second = filter.createProcessor();
    const auto input = noise (40, 11);

    for (std::size_t n = 0; n < input.size(); ++n)
    {
        // Alternate between no delay and a delay of 3 samples.
        filter.setFormula (n % 2 == 0 ? RationalFunction() : delayBy (3));
        const double expected = n % 2 == 0 ? input[n] : (n >= 3 ? input[n - 3] : 0.0);

        EXPECT_EQ (first->process (input[n]), expected);
        EXPECT_EQ (second->process (input[n]), expected);
    }
}

TEST (FormulaFilterTest, HistoryGrowsForLongerDelaysAndKeepsRecentSamples)
{
    FormulaFilter filter;
    filter.setFormula (delayBy (20));
    auto processor = filter.createProcessor();

    std::vector<double> input;

    for (int n = 0; n < 100; ++n)
    {
        // From sample 31 on, a delay of 40 needs a longer history than the
        // 21 samples kept for a delay of 20: the kept ones (inputs 10 to 30)
        // must come out in order, and older ones read as silence.
        if (n == 31)
            filter.setFormula (delayBy (40));

        input.push_back (n + 1.0);
        const int delay = n < 31 ? 20 : 40;
        const int source = n - delay;
        const double expected = (source >= 0 && (n < 31 || source >= 10)) ? input[(std::size_t) source] : 0.0;

        ASSERT_EQ (processor->process (input.back()), expected) << "sample " << n;
    }
}

TEST (FormulaFilterTest, CopiedHistoryContinuesLikeOriginal)
{
    FormulaFilter filter;
    filter.setFormula (FormulaFilter::lowPass (800.0, 44100.0));
    auto original = filter.createProcessor();
    auto copy = filter.createProcessor();

    for (double x : noise (50, 12))
        original->process (x);

    copy->copyHistory (*original);

    for (double x : noise (50, 13))
        EXPECT_EQ (copy->process (x), original->process (x));
}

TEST (FormulaFilterTest, ResetForgetsHistory)
{
    FormulaFilter filter;
    filter.setFormula (FormulaFilter::lowPass (800.0, 44100.0) * delayBy (2));
    auto fresh = filter.createProcessor();
    auto used = filter.createProcessor();

    for (double x : noise (50, 14))
        used->process (x);

    used->reset();

    for (double x : noise (50, 15))
        EXPECT_EQ (used->process (x), fresh->process (x));
}

//==============================================================================
TEST (FormulaFilterTest, FrequencyResponseFollowsDelayConvention)
{
    // z^-1 at z = e^(i omega) lags by omega.
    FormulaFilter filter;
    filter.setFormula (delayBy (1));

    for (double omega : { 0.1, 1.0, 2.5 })
    {
        const auto response = filter.frequencyResponse (omega);
        EXPECT_NEAR (std::abs (response), 1.0, 1.0e-12);
        EXPECT_NEAR (std::arg (response), -omega, 1.0e-12);
    }

    // The low-pass falls to 1 / (1 + 2K) at the Nyquist frequency.
    const double k = 44100.0 / (2.0 * pi * 800.0);
    filter.setFormula (FormulaFilter::lowPass (800.0, 44100.0));
    EXPECT_NEAR (std::abs (filter.frequencyResponse (pi)), 1.0 / (1.0 + 2.0 * k), 1.0e-12);
}

TEST (FormulaFilterTest, FrequencyResponseIsNaNWhenUndefined)
{
    using R = RationalFunction;
    const double infinity = std::numeric_limits<double>::infinity();

    struct Case { const char* name; RationalFunction formula; double omega; };
    const Case cases[] {
        { "pole at 0 Hz", R::constant (1.0) / R::difference(), 0.0 },
        { "zero denominator", R::constant (1.0) / R::constant (0.0), 1.0 },
        { "infinite numerator", R::constant (infinity), 1.0 },
        { "infinite denominator", R::constant (1.0) / R::constant (infinity), 1.0 },
    };

    for (const auto& c : cases)
    {
        SCOPED_TRACE (c.name);
        FormulaFilter filter;
        filter.setFormula (c.formula);
        const auto response = filter.frequencyResponse (c.omega);

        EXPECT_TRUE (std::isnan (response.real()));
        EXPECT_TRUE (std::isnan (response.imag()));
    }
}

TEST (FormulaFilterTest, ZeroDenominatorGivesSilenceNotInfinity)
{
    FormulaFilter filter;
    filter.setFormula (RationalFunction::constant (1.0) / RationalFunction::constant (0.0));
    auto processor = filter.createProcessor();

    for (double x : noise (10, 16))
        EXPECT_EQ (processor->process (x), 0.0);
}

} // namespace
} // namespace Tavo
