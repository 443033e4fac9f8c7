#include "support/Signals.h"

#include <kiss_fft.h>

#include <cmath>
#include <random>

namespace Tavo::Testing
{
namespace
{
    std::vector<std::complex<double>> transform (const std::vector<std::complex<double>>& in, bool inverse)
    {
        const auto n = static_cast<int> (in.size());
        auto* plan = kiss_fft_alloc (n, inverse ? 1 : 0, nullptr, nullptr);
        const auto size = static_cast<size_t> (n);
        std::vector<kiss_fft_cpx> a (size), b (size);

        for (size_t i = 0; i < in.size(); ++i)
            a[i] = { float (in[i].real()), float (in[i].imag()) };

        kiss_fft (plan, a.data(), b.data());
        kiss_fft_free (plan);

        std::vector<std::complex<double>> out (size);

        for (size_t i = 0; i < out.size(); ++i)
            out[i] = { b[i].r / (inverse ? n : 1.0), b[i].i / (inverse ? n : 1.0) };

        return out;
    }

    std::vector<std::complex<double>> spectrumOf (const std::vector<float>& signal)
    {
        return transform (std::vector<std::complex<double>> (signal.begin(), signal.end()), false);
    }
} // namespace

std::vector<float> Signals::bandLimitedNoise (int length, double rate, double lowHz, double highHz, int seed)
{
    std::mt19937 random (static_cast<unsigned> (seed));
    std::normal_distribution<double> normal (0.0, 0.25);
    std::vector<float> noise (static_cast<size_t> (length));

    for (auto& s : noise)
        s = float (normal (random));

    auto spectrum = spectrumOf (noise);
    const auto n = spectrum.size();

    for (size_t k = 0; k < n; ++k)
    {
        const auto f = double (std::min (k, n - k)) * rate / double (n);

        if (f < lowHz || f > highHz)
            spectrum[k] = 0.0;
    }

    const auto time = transform (spectrum, true);

    for (size_t i = 0; i < n; ++i)
        noise[i] = float (time[i].real());

    return noise;
}

std::vector<float> Signals::rotated (const std::vector<float>& signal, double angle)
{
    auto spectrum = spectrumOf (signal);
    const auto n = spectrum.size();
    const auto turn = std::polar (1.0, angle);

    // Positive frequencies turn one way, negative ones the other: the real
    // signal cos(wt) becomes cos(wt + angle).
    for (size_t k = 1; k < n; ++k)
        spectrum[k] *= k < n / 2 ? turn : (k > n / 2 ? std::conj (turn) : 1.0);

    const auto time = transform (spectrum, true);
    std::vector<float> out (n);

    for (size_t i = 0; i < n; ++i)
        out[i] = float (time[i].real());

    return out;
}

std::vector<std::complex<double>> Signals::analytic (const std::vector<float>& signal)
{
    auto spectrum = spectrumOf (signal);
    const auto n = spectrum.size();

    for (size_t k = 1; k < n; ++k)
        spectrum[k] *= k < n / 2 ? 2.0 : (k > n / 2 ? 0.0 : 1.0);

    return transform (spectrum, true);
}

double Signals::energy (const std::vector<float>& signal, int from, int to)
{
    double sum = 0.0;

    for (int i = from; i < to; ++i)
        sum += double (signal[size_t (i)]) * signal[size_t (i)];

    return sum;
}

double Signals::bestAlignedEnergy (const std::vector<std::vector<float>>& tracks, int from, int to)
{
    std::vector<std::vector<std::complex<double>>> analytics;

    for (const auto& track : tracks)
        analytics.push_back (analytic (track));

    // Coordinate ascent: each track in turn takes the angle that best agrees
    // with the sum of the others.
    std::vector<double> angles (tracks.size(), 0.0);

    for (int round = 0; round < 20; ++round)
    {
        for (size_t k = 0; k < tracks.size(); ++k)
        {
            std::complex<double> agreement;

            for (int t = from; t < to; ++t)
            {
                std::complex<double> others;

                for (size_t j = 0; j < tracks.size(); ++j)
                    if (j != k)
                        others += std::polar (1.0, angles[j]) * analytics[j][size_t (t)];

                agreement += others * std::conj (analytics[k][size_t (t)]);
            }

            angles[k] = std::arg (agreement);
        }
    }

    double sum = 0.0;

    for (int t = from; t < to; ++t)
    {
        std::complex<double> s;

        for (size_t k = 0; k < tracks.size(); ++k)
            s += std::polar (1.0, angles[k]) * analytics[k][size_t (t)];

        sum += s.real() * s.real();
    }

    return sum;
}
} // namespace Tavo::Testing
