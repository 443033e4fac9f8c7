#pragma once

#include "master/PhaseResultRing.h"
#include "processor/CaptureRing.h"
#include "processor/ChannelState.h"
#include "processor/FormulaFilter.h"
#include "processor/HilbertCoefficients.h"

#include <array>
#include <atomic>
#include <cstdint>
#include <memory>
#include <vector>

namespace Tavo
{
/** What one block is rendered with, read from the model once per block. */
struct BlockSettings
{
    int lookaheadSamples = 0;
    float gainDecibels = 0.0f;
    bool enabled = true; // the global switch on and the host not bypassing
    bool lowFrequencyFocus = false;
};

/** The audio path of one track: keeps the delay configuration, captures each
    block for the analysis as an analytic signal, takes the corrections that
    are due and renders the delayed, rotated and scaled output with a
    crossfade centred where the old and the new rotation agree.
    prepare() runs while the host is not processing; everything else runs on
    the audio thread, without locks or allocation. */
class TrackRenderer
{
public:
    static constexpr int maxChannels = 2;

    TrackRenderer (std::array<CaptureRing, 4>& captureRings, PhaseResultRing& results);

    /** Sizes every buffer for the longest lookahead at this rate. */
    void prepare (double sampleRate, float staggerFraction);

    /** Any thread: the channel states are reset at the next block. */
    void requestReset() { resetRequested.store (true, std::memory_order_release); }

    /** Resets every channel state; the stream is discontinuous. */
    void resetChannels();

    /** Applies a new lookahead (resetting the channels when it changed). */
    void configureDelay (int lookaheadSamples);

    /** Renders one block in place. blockStart is the block's timeline position. */
    void render (float* const* channels, int numChannels, int numSamples, std::int32_t blockStart,
                 const BlockSettings& settings);

    int getImagDelay() const { return imagDelay; }
    int getReverseBlock() const { return reverseBlock; }
    float getTargetAngle() const { return targetAngle; }
    float getCurrentAngle (int channel) const { return channelStates[size_t (channel)]->currentAngle; }

private:
    /** What the rotation of one channel carries from sample to sample
        within a segment. */
    struct Rotation
    {
        float cc = 1.0f, sc = 0.0f;         // cos and sin of the current angle
        float prevRe = 0.0f, prevIm = 0.0f; // the look-ahead samples of the previous sample
    };

    // Samples per pass of the Hilbert path before the rotation consumes them.
    static constexpr int chunkLength = 256;

    void capture (const float* const* channels, int numChannels, int numSamples, std::int32_t blockStart,
                  bool lowFocus);
    void captureFirstOrder (const float* const* channels, int numChannels, int numSamples, std::int32_t blockStart,
                            const FormulaFilter::FirstOrder& design);
    void runHilbertPath (const float* const* channels, int numChannels, int start, int end);
    void renderChannel (ChannelState& state, Rotation& rotation, float* samples, const float* imaginaryInput, int start,
                        int end, std::int32_t blockStart, float gain);

    template <bool Direct>
    void rotateSamples (ChannelState& state, Rotation& rotation, float* samples, const float* imaginaryInput, int start,
                        int end, std::int32_t blockStart, float gain);

    std::array<CaptureRing, 4>& rings;
    PhaseResultRing& results;

    double sampleRate = 0.0;
    float stagger = 0.0f;
    HilbertCoefficients coefficients;
    FormulaFilter preFilter;
    std::vector<std::unique_ptr<ChannelState>> channelStates;
    std::atomic<bool> resetRequested{ false };

    int lookahead = 0;    // L
    int imagDelay = 0;    // D: half the crossfade
    int reverseBlock = 0; // N = L - D
    int channelsInUse = 0;
    float targetAngle = 0.0f; // the angle in force for new crossfades

    // Per block: crossfade length, its half and the curve factor, and the
    // target's rotation.
    int fadeLength = 0;
    int fadeHalf = 0;
    float curve = 0.0f;
    float targetCos = 1.0f;
    float targetSin = 0.0f;

    // The Hilbert path's output for the chunk being rendered, per channel.
    alignas (16) float reverseOutput[maxChannels][chunkLength]{};
    alignas (16) float imaginaryInput[maxChannels][chunkLength]{};
};
} // namespace Tavo
