#include "processor/RationalFunction.h"

#include <limits>

namespace Tavo
{

using Polynomial = RationalFunction::Polynomial;

//==============================================================================
Polynomial Polynomial::monomial (double coefficient, std::uint32_t exponent)
{
    Polynomial result;

    if (coefficient != 0.0)
        result.append ({ coefficient, exponent });

    return result;
}

std::uint32_t Polynomial::getLargestExponent() const
{
    return numTerms > 0 ? terms[(std::size_t) numTerms - 1].exponent : 0;
}

bool Polynomial::append (Term term)
{
    if (numTerms == maxTerms)
        return false;

    terms[(std::size_t) numTerms++] = term;
    return true;
}

Polynomial operator+ (const Polynomial& a, const Polynomial& b)
{
    Polynomial sum;
    const auto* x = a.begin();
    const auto* y = b.begin();

    // Merge by exponent; a full result drops the highest exponents. Equal
    // exponents are added, and a zero sum stays a term.
    while (x != a.end() || y != b.end())
    {
        Polynomial::Term next {};

        if (y == b.end() || (x != a.end() && x->exponent < y->exponent))
        {
            next = *x++;
        }
        else if (x == a.end() || y->exponent < x->exponent)
        {
            next = *y++;
        }
        else
        {
            next = { x->coefficient + y->coefficient, x->exponent };
            ++x;
            ++y;
        }

        if (! sum.append (next))
            break;
    }

    return sum;
}

Polynomial operator* (const Polynomial& a, const Polynomial& b)
{
    // A full factor may already have lost terms to truncation; refusing it
    // makes an overflowed design obvious instead of subtly wrong.
    if (a.getNumTerms() >= Polynomial::maxTerms || b.getNumTerms() >= Polynomial::maxTerms)
        return {};

    constexpr auto maxExponent = std::numeric_limits<std::uint32_t>::max();
    Polynomial product;

    for (const auto& factor : a)
    {
        Polynomial scaled;

        for (const auto& term : b)
            if (term.exponent <= maxExponent - factor.exponent)
                scaled.append ({ factor.coefficient * term.coefficient, term.exponent + factor.exponent });

        product = product + scaled;
    }

    return product;
}

//==============================================================================
RationalFunction::RationalFunction()
    : RationalFunction (Polynomial::monomial (1.0, 0), Polynomial::monomial (1.0, 0))
{
}

RationalFunction::RationalFunction (const Polynomial& num, const Polynomial& den)
    : numerator (num), denominator (den)
{
}

RationalFunction RationalFunction::constant (double value)
{
    return { Polynomial::monomial (value, 0), Polynomial::monomial (1.0, 0) };
}

RationalFunction RationalFunction::difference()
{
    return { Polynomial::monomial (1.0, 0) + Polynomial::monomial (-1.0, 1),
             Polynomial::monomial (1.0, 0) };
}

RationalFunction operator+ (const RationalFunction& a, const RationalFunction& b)
{
    return { a.numerator * b.denominator + a.denominator * b.numerator,
             a.denominator * b.denominator };
}

RationalFunction operator* (const RationalFunction& a, const RationalFunction& b)
{
    return { a.numerator * b.numerator, a.denominator * b.denominator };
}

RationalFunction operator/ (const RationalFunction& a, const RationalFunction& b)
{
    return { a.numerator * b.denominator, a.denominator * b.numerator };
}

} // namespace Tavo
