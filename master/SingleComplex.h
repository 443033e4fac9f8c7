#pragma once

#include <cmath>
#include <complex>

namespace Tavo
{
/** Complex arithmetic on single-precision values, each operation formed in
    double precision and rounded once to single precision, so that results do
    not depend on how a compiler would contract or reorder float operations. */
namespace SingleComplex
{
    using Value = std::complex<float>;

    inline Value add (Value a, Value b)
    {
        return { static_cast<float> (double (a.real()) + double (b.real())),
                 static_cast<float> (double (a.imag()) + double (b.imag())) };
    }

    inline Value multiply (Value a, Value b)
    {
        const double ar = a.real(), ai = a.imag(), br = b.real(), bi = b.imag();
        return { static_cast<float> (ar * br - ai * bi), static_cast<float> (ar * bi + ai * br) };
    }

    inline float magnitude (Value a)
    {
        return static_cast<float> (std::hypot (double (a.real()), double (a.imag())));
    }

    /** The value divided by its magnitude; a zero or non-finite value gives NaN. */
    inline Value normalised (Value a)
    {
        const double m = std::hypot (double (a.real()), double (a.imag()));
        return { static_cast<float> (double (a.real()) / m), static_cast<float> (double (a.imag()) / m) };
    }

    inline float squaredMagnitude (Value a)
    {
        return static_cast<float> (double (a.real()) * a.real() + double (a.imag()) * a.imag());
    }
} // namespace SingleComplex
} // namespace Tavo
