#include "master/BandAnalysis.h"

#include "master/SingleComplex.h"
#include "processor/TavoAudioProcessor.h"

#include <kiss_fftr.h>

#include <algorithm>
#include <cmath>
#include <new>

namespace Tavo
{
BandBuffers::BandBuffers()
    : window (fftSize, 0.0f),
      input (fftSize, 0.0f),
      ownSpectrum (numBins),
      othersSpectrum (numBins),
      plan (kiss_fftr_alloc (fftSize, 0, nullptr, nullptr))
{
    if (plan == nullptr)
        throw std::bad_alloc();
}

BandBuffers::~BandBuffers()
{
    kiss_fftr_free (plan);
}

void BandBuffers::prepareWindow (int newLength)
{
    // Windows longer than the transform (hops above 327680 Hz) are shortened.
    newLength = std::clamp (newLength, 1, fftSize);

    if (newLength == windowLength)
        return;

    windowLength = newLength;
    std::fill (input.begin() + windowLength, input.end(), 0.0f);

    const auto length = static_cast<float> (windowLength);
    const auto piSingle = static_cast<float> (M_PI);

    for (int t = 0; t < windowLength; ++t)
    {
        const auto argument = static_cast<float> (double (piSingle) * double (static_cast<float> (t)) / double (length));
        window[size_t (t)] = static_cast<float> (std::sin (double (argument)));
    }
}

void BandBuffers::transform (const float* samples, std::vector<std::complex<float>>& spectrum)
{
    for (int t = 0; t < windowLength; ++t)
        input[size_t (t)] = samples[t] * window[size_t (t)];

    static_assert (sizeof (kiss_fft_cpx) == sizeof (std::complex<float>));
    kiss_fftr (plan, input.data(), reinterpret_cast<kiss_fft_cpx*> (spectrum.data()));
}

std::vector<BandBuffers::Sums> BandBuffers::bandSums (const float* own, const float* others, int sampleRate)
{
    transform (own, ownSpectrum);
    transform (others, othersSpectrum);

    std::vector<Sums> out (numBands);
    const double ratio = std::exp (std::log (2.0) / 3.0);
    double edge = 30.0 / std::sqrt (ratio);
    const double binWidth = double (sampleRate) / fftSize;
    int band = -1;
    Sums sums;

    for (int j = 0; j < numBins; ++j)
    {
        const double f = j * binWidth;

        while (f >= edge)
        {
            if (band >= 0)
                out[size_t (band)] = sums;

            ++band;
            sums = {};

            if (band >= numBands)
                return out;

            edge *= ratio;
        }

        const auto a = ownSpectrum[size_t (j)];
        const auto b = othersSpectrum[size_t (j)];
        sums.cross += static_cast<float> (double (a.real()) * b.real() + double (a.imag()) * b.imag());
        sums.ownPower += SingleComplex::squaredMagnitude (a);
        sums.othersPower += SingleComplex::squaredMagnitude (b);
    }

    if (band >= 0 && band < numBands)
        out[size_t (band)] = sums;

    return out;
}

namespace
{
    // The real part of a track's corrected signal in one channel half.
    void correctedSignal (const Eigen::MatrixXcf& x, int row, int half, int hopSize, std::complex<float> rotation,
                          int length, float* out)
    {
        for (int t = 0; t < length; ++t)
            out[t] = SingleComplex::multiply (rotation, x (row, half * hopSize + t)).real();
    }

    bool isCompared (const BandTrack& shown, const BandTrack& other, int editorsOpen)
    {
        if (editorsOpen > 1)
            return other.processor->isEditorOpen();

        if (shown.processor->showsGroupView())
            return other.group == shown.group; // group 0 tracks count as one group here

        return true;
    }
} // namespace

void analyseBands (BandBuffers& buffers, const std::vector<BandTrack>& tracks, const Eigen::MatrixXcf& observations,
                   int hopSize, double sampleRate, int editorsOpen, bool correctionsEnabled)
{
    std::vector<bool> shown (tracks.size());
    bool anyShown = false;

    for (size_t i = 0; i < tracks.size(); ++i)
    {
        auto* processor = tracks[i].processor;
        shown[i] = processor->isEditorOpen() && processor->showsFrequencyView();
        anyShown = anyShown || shown[i];

        if (! shown[i])
            processor->display.bandSums.fill ({});
    }

    if (! anyShown)
        return;

    buffers.prepareWindow (hopSize);
    const auto length = buffers.getWindowLength();
    const auto rate = static_cast<int> (sampleRate);
    const auto samples = static_cast<size_t> (length);
    std::vector<float> own (samples), others (samples), corrected (samples);

    const auto rotationOf = [&] (const BandTrack& track) {
        return correctionsEnabled ? std::conj (track.phasor) : std::complex<float> (1.0f, 0.0f);
    };

    for (size_t i = 0; i < tracks.size(); ++i)
    {
        const auto& track = tracks[i];

        if (! shown[i] || track.row < 0)
            continue; // silent in this window: the display keeps its values

        std::array<BandBuffers::Sums, BandBuffers::numBands> accumulated {};

        for (int half = 0; half < 2; ++half)
        {
            correctedSignal (observations, track.row, half, hopSize, rotationOf (track), length, own.data());
            std::fill (others.begin(), others.end(), 0.0f);
            bool anyCompared = false;

            for (size_t j = 0; j < tracks.size(); ++j)
            {
                if (j == i || tracks[j].row < 0 || ! isCompared (track, tracks[j], editorsOpen))
                    continue;

                anyCompared = true;
                correctedSignal (observations, tracks[j].row, half, hopSize, rotationOf (tracks[j]), length,
                                 corrected.data());

                for (int t = 0; t < length; ++t)
                    others[size_t (t)] += corrected[size_t (t)];
            }

            if (! anyCompared)
                continue;

            const auto sums = buffers.bandSums (own.data(), others.data(), rate);

            for (int b = 0; b < BandBuffers::numBands; ++b)
            {
                accumulated[size_t (b)].cross += sums[size_t (b)].cross;
                accumulated[size_t (b)].ownPower += sums[size_t (b)].ownPower;
                accumulated[size_t (b)].othersPower += sums[size_t (b)].othersPower;
            }
        }

        auto& display = track.processor->display;
        const auto smooth = [] (float fresh, float previous) {
            return static_cast<float> (double (0.3f) * fresh + double (0.7f) * previous);
        };

        float totalCross = 0.0f, totalOwn = 0.0f, totalOthers = 0.0f;

        for (int b = 0; b < BandBuffers::numBands; ++b)
        {
            auto& sums = display.bandSums[size_t (b)];
            sums.cross = smooth (accumulated[size_t (b)].cross, sums.cross);
            sums.ownPower = smooth (accumulated[size_t (b)].ownPower, sums.ownPower);
            sums.othersPower = smooth (accumulated[size_t (b)].othersPower, sums.othersPower);

            auto& band = display.bands[size_t (b)];
            band.ownLevel = std::sqrt (sums.ownPower);
            band.othersLevel = std::sqrt (sums.othersPower);
            band.coherence = sums.cross == 0.0f ? 0.0f : sums.cross / (band.othersLevel * band.ownLevel);

            totalCross += sums.cross;
            totalOwn += sums.ownPower;
            totalOthers += sums.othersPower;
        }

        display.overallCoherence = totalCross == 0.0f ? 0.0f : totalCross / std::sqrt (totalOwn * totalOthers);
    }
}
} // namespace Tavo
