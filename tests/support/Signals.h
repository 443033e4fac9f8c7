#pragma once

#include <complex>
#include <vector>

namespace Tavo::Testing
{
/** Test signals built in the frequency domain, so that phase rotations are
    exact (an ideal Hilbert transform) rather than filtered. */
struct Signals
{
    /** Noise limited to [lowHz, highHz] at the rate, with unit-ish level. */
    static std::vector<float> bandLimitedNoise (int length, double rate, double lowHz, double highHz, int seed);

    /** The signal with every frequency component advanced by `angle` radians. */
    static std::vector<float> rotated (const std::vector<float>& signal, double angle);

    /** The analytic signal (signal + i times its Hilbert transform). */
    static std::vector<std::complex<double>> analytic (const std::vector<float>& signal);

    /** The largest energy of the sum of the tracks, each rotated by its own
        constant angle, over [from, to): what perfect alignment reaches. */
    static double bestAlignedEnergy (const std::vector<std::vector<float>>& tracks, int from, int to);

    static double energy (const std::vector<float>& signal, int from, int to);
};
} // namespace Tavo::Testing
