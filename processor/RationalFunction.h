#pragma once

#include <array>
#include <cstddef>
#include <cstdint>

namespace Tavo
{

/** A rational function of the delay operator z^-1, with the algebra used to
    design filters at run time.

    Storage has a fixed capacity and nothing here allocates, so filters can be
    redesigned on the audio thread. The algebra never fails: terms beyond the
    capacity are dropped, and a product with a full factor is the zero
    polynomial. No common factors are cancelled.
*/
class RationalFunction
{
public:
    /** A polynomial in z^-1 of at most maxTerms terms, kept in increasing
        exponent order with distinct exponents. The zero polynomial has no
        terms.
    */
    class Polynomial
    {
    public:
        static constexpr int maxTerms = 32;

        struct Term
        {
            double coefficient;
            std::uint32_t exponent;
        };

        /** The zero polynomial. */
        Polynomial() = default;

        /** coefficient * z^-exponent; the zero polynomial when coefficient is 0. */
        static Polynomial monomial (double coefficient, std::uint32_t exponent);

        int getNumTerms() const { return numTerms; }
        bool isZero() const { return numTerms == 0; }
        const Term& getTerm (int index) const { return terms[(std::size_t) index]; }
        const Term* begin() const { return terms.data(); }
        const Term* end() const { return terms.data() + numTerms; }

        /** The exponent of the last term, or 0 for the zero polynomial. */
        std::uint32_t getLargestExponent() const;

        friend Polynomial operator+ (const Polynomial& a, const Polynomial& b);
        friend Polynomial operator* (const Polynomial& a, const Polynomial& b);

    private:
        /** Appends a term above all present ones; returns false when full. */
        bool append (Term term);

        std::array<Term, maxTerms> terms {};
        int numTerms = 0;
    };

    /** The identity 1 / 1. */
    RationalFunction();

    RationalFunction (const Polynomial& numerator, const Polynomial& denominator);

    /** value / 1 */
    static RationalFunction constant (double value);

    /** (1 - z^-1) / 1, the first difference. */
    static RationalFunction difference();

    const Polynomial& getNumerator() const { return numerator; }
    const Polynomial& getDenominator() const { return denominator; }

    friend RationalFunction operator+ (const RationalFunction& a, const RationalFunction& b);
    friend RationalFunction operator* (const RationalFunction& a, const RationalFunction& b);
    friend RationalFunction operator/ (const RationalFunction& a, const RationalFunction& b);

private:
    Polynomial numerator;
    Polynomial denominator;
};

} // namespace Tavo
