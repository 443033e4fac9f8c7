#pragma once

#include <Eigen/Dense>

#include <complex>
#include <memory>
#include <vector>

struct kiss_fftr_state;

namespace Tavo
{
class TavoAudioProcessor;

/** The buffers and the FFT plan of the band analysis, made once with the
    master and reused by every analysis. Master thread only. */
class BandBuffers
{
public:
    static constexpr int fftSize = 16384;
    static constexpr int numBins = fftSize / 2 + 1;
    static constexpr int numBands = 28;

    BandBuffers();
    ~BandBuffers();

    struct Sums
    {
        float cross = 0.0f;
        float ownPower = 0.0f;
        float othersPower = 0.0f;
    };

    /** Prepares the sine window for windows of this length (at most fftSize). */
    void prepareWindow (int windowLength);

    /** Cross and auto power of two signals of windowLength samples in the 28
        third-octave bands from 30 Hz up. */
    std::vector<Sums> bandSums (const float* own, const float* others, int sampleRate);

    int getWindowLength() const { return windowLength; }

private:
    void transform (const float* samples, std::vector<std::complex<float>>& spectrum);

    int windowLength = 0;
    std::vector<float> window;
    std::vector<float> input;
    std::vector<std::complex<float>> ownSpectrum;
    std::vector<std::complex<float>> othersSpectrum;
    kiss_fftr_state* plan = nullptr;
};

/** One analysed track as the band analysis sees it. */
struct BandTrack
{
    TavoAudioProcessor* processor = nullptr;
    int row = -1;                          // in the observation matrix, or -1 when silent
    std::complex<float> phasor { 1.0f, 0.0f }; // the final correction
    int group = 0;
};

/** Computes, for every analysed track whose editor shows the frequency view,
    how well it agrees band by band with the tracks it is compared with after
    the corrections, and leaves the smoothed result in its display. */
void analyseBands (BandBuffers& buffers, const std::vector<BandTrack>& tracks, const Eigen::MatrixXcf& observations,
                   int hopSize, double sampleRate, int editorsOpen, bool correctionsEnabled);
} // namespace Tavo
