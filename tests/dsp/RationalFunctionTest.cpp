#include "processor/FormulaFilter.h"
#include "processor/RationalFunction.h"

#include <gtest/gtest.h>

#include <complex>

namespace Tavo
{
namespace
{

using Polynomial = RationalFunction::Polynomial;
using R = RationalFunction;

Polynomial termsUpTo (int count)
{
    Polynomial polynomial;

    for (int e = 0; e < count; ++e)
        polynomial = polynomial + Polynomial::monomial (e + 1.0, (std::uint32_t) e);

    return polynomial;
}

std::complex<double> responseOf (const RationalFunction& formula, double omega)
{
    FormulaFilter filter;
    filter.setFormula (formula);
    return filter.frequencyResponse (omega);
}

TEST (RationalFunctionTest, AlgebraMatchesArithmeticOfResponses)
{
    const R a = R::constant (0.5) + R::difference();
    const R b = R::constant (2.0) / (R::constant (3.0) + R::constant (0.7) * R::difference());

    for (double omega : { 0.0, 0.3, 1.7, 3.0 })
    {
        SCOPED_TRACE (omega);
        const auto ra = responseOf (a, omega);
        const auto rb = responseOf (b, omega);

        EXPECT_LT (std::abs (responseOf (a + b, omega) - (ra + rb)), 1.0e-12);
        EXPECT_LT (std::abs (responseOf (a * b, omega) - ra * rb), 1.0e-12);
        EXPECT_LT (std::abs (responseOf (a / b, omega) - ra / rb), 1.0e-12);
    }
}

TEST (RationalFunctionTest, TermsStayOrderedAndCancelledTermsRemain)
{
    // (1 + z^-1)(1 - z^-1) = 1 + 0 z^-1 - z^-2: the zero term is kept.
    const auto product = (Polynomial::monomial (1.0, 0) + Polynomial::monomial (1.0, 1))
                       * (Polynomial::monomial (-1.0, 1) + Polynomial::monomial (1.0, 0));

    ASSERT_EQ (product.getNumTerms(), 3);

    const double coefficients[] { 1.0, 0.0, -1.0 };

    for (int i = 0; i < 3; ++i)
    {
        EXPECT_EQ (product.getTerm (i).exponent, (std::uint32_t) i);
        EXPECT_EQ (product.getTerm (i).coefficient, coefficients[i]);
    }

    EXPECT_TRUE (Polynomial::monomial (0.0, 3).isZero());
    EXPECT_TRUE (R::constant (0.0).getNumerator().isZero());
}

TEST (RationalFunctionTest, CapacityLimits)
{
    const auto full = termsUpTo (Polynomial::maxTerms);

    // A sum beyond capacity drops the highest exponents.
    const auto overfull = full + Polynomial::monomial (1.0, 100) + Polynomial::monomial (1.0, 200);
    ASSERT_EQ (overfull.getNumTerms(), Polynomial::maxTerms);
    EXPECT_EQ (overfull.getLargestExponent(), (std::uint32_t) Polynomial::maxTerms - 1);

    // A full factor may already have lost terms, so a product refuses it.
    const auto one = Polynomial::monomial (1.0, 0);
    EXPECT_TRUE ((full * one).isZero());
    EXPECT_TRUE ((one * full).isZero());

    // Below capacity the product is formed and truncated like a sum.
    const auto shifted = termsUpTo (Polynomial::maxTerms - 1) * (one + Polynomial::monomial (1.0, 2));
    EXPECT_EQ (shifted.getNumTerms(), Polynomial::maxTerms);
    EXPECT_EQ (shifted.getLargestExponent(), (std::uint32_t) Polynomial::maxTerms - 1);
}

} // namespace
} // namespace Tavo
