#include "processor/TrackRenderer.h"

#include "model/ModelRules.h"

#include <algorithm>
#include <cmath>

namespace Tavo
{
namespace
{
    constexpr double pi = 3.141592653589793;
    constexpr double twoPi = 6.283185307179586;
    constexpr double longestLookaheadMs = 1000.0;

    float cosOf (float angle) { return static_cast<float> (std::cos (double (angle))); }
    float sinOf (float angle) { return static_cast<float> (std::sin (double (angle))); }

    // A rotation of one sample pair, rounded once as the output is.
    float rotate (float c, float s, float re, float im)
    {
        return static_cast<float> (double (c) * double (re) + double (s) * double (im));
    }

    std::int32_t wrapAdd (std::int32_t a, std::int32_t b)
    {
        return static_cast<std::int32_t> (static_cast<std::uint32_t> (a) + static_cast<std::uint32_t> (b));
    }
} // namespace

TrackRenderer::TrackRenderer (std::array<CaptureRing, 4>& captureRings, PhaseResultRing& resultRing)
    : rings (captureRings), results (resultRing)
{
}

void TrackRenderer::prepare (double newSampleRate, float staggerFraction)
{
    sampleRate = newSampleRate;
    stagger = staggerFraction;
    coefficients.compute (static_cast<float> (sampleRate));

    const auto maxLookahead = lookaheadSamplesAt (longestLookaheadMs, sampleRate);
    const auto maxImagDelay = static_cast<int> (std::floor (sampleRate * 0.03 + 0.5)) / 2;

    channelStates.clear();

    for (int c = 0; c < maxChannels; ++c)
        channelStates.push_back (std::make_unique<ChannelState> (preFilter, maxLookahead, std::max (1, maxImagDelay)));

    // Force the next block to configure the delay for this rate.
    lookahead = 0;
    channelsInUse = 0;
}

void TrackRenderer::configureDelay (int newLookahead)
{
    if (newLookahead == lookahead)
        return;

    lookahead = newLookahead;
    imagDelay = static_cast<int> (std::floor (sampleRate * 0.03 + 0.5)) / 2;
    reverseBlock = lookahead - imagDelay;

    for (auto& state : channelStates)
        state->configure (coefficients, imagDelay, reverseBlock, static_cast<int> (float (reverseBlock) * stagger));
}

void TrackRenderer::resetChannels()
{
    for (auto& state : channelStates)
        state->reset();
}

void TrackRenderer::render (float* const* channels, int numChannels, int numSamples, std::int32_t blockStart,
                            const BlockSettings& settings)
{
    configureDelay (settings.lookaheadSamples);

    if (resetRequested.exchange (false, std::memory_order_acq_rel))
        resetChannels();

    numChannels = std::min (numChannels, maxChannels);

    // A channel that joins (mono to stereo) starts with empty rings.
    for (int c = channelsInUse; c < numChannels; ++c)
        channelStates[size_t (c)]->reset();

    channelsInUse = std::max (channelsInUse, numChannels);

    capture (channels, numChannels, numSamples, blockStart, settings.lowFrequencyFocus);

    fadeLength = static_cast<int> (std::floor (0.03 * sampleRate + 0.5));
    fadeHalf = (fadeLength + 1) / 2;
    curve = 1.0f / static_cast<float> (2 * fadeHalf * fadeHalf);

    const auto gain = gainFromDecibels (settings.gainDecibels);
    const auto delayedOffset = wrapAdd (lookahead, -blockStart);

    for (int start = 0; start < numSamples;)
    {
        int end = numSamples;
        results.take (start, end, delayedOffset, targetAngle);

        if (! settings.enabled)
            targetAngle = 0.0f;

        targetCos = cosOf (targetAngle);
        targetSin = sinOf (targetAngle);

        for (int c = 0; c < numChannels; ++c)
            renderChannel (*channelStates[size_t (c)], channels[c], start, end, blockStart, gain);

        start = end;
    }
}

void TrackRenderer::capture (const float* const* channels, int numChannels, int numSamples, std::int32_t blockStart,
                             bool lowFocus)
{
    // The pre-filter is redesigned every block; its processors read the new
    // formula at once.
    preFilter.setFormula (FormulaFilter::lowPass (lowFocus ? 800.0 : 20000.0, sampleRate));

    for (int c = 0; c < numChannels; ++c)
    {
        auto& state = *channelStates[size_t (c)];
        auto& real = rings[size_t (2 * c)];
        auto& imaginary = rings[size_t (2 * c + 1)];
        real.seek (blockStart);
        imaginary.seek (blockStart);

        for (int i = 0; i < numSamples; ++i)
        {
            const auto y = static_cast<float> (state.preFilter->process (double (channels[c][i])));
            real.write (state.captureA.process (y));
            imaginary.write (state.captureB.process (y));
        }
    }
}

void TrackRenderer::renderChannel (ChannelState& state, float* samples, int start, int end, std::int32_t blockStart,
                                   float gain)
{
    const auto L = lookahead;
    const auto D = imagDelay;
    const auto h = fadeHalf;
    const auto C = fadeLength;

    auto cc = cosOf (state.currentAngle);
    auto sc = sinOf (state.currentAngle);
    auto prevRe = state.delay.read (h - L - 1);
    auto prevIm = state.imaginary.read (h - D - 1);

    for (int i = start; i < end; ++i)
    {
        const auto x = samples[i];
        const auto outputPosition = wrapAdd (blockStart, i - L);

        // A target that changes during a crossfade stops it where it is.
        if (! (double (state.toAngle) == double (targetAngle)))
            state.fading = false;

        if (state.fading)
        {
            const auto p = wrapAdd (outputPosition, -state.fadeStart);
            float g;

            if (p < 0)
                g = 0.0f;
            else if (p < h)
                g = static_cast<float> (static_cast<std::int64_t> (p) * p) * curve;
            else if (p < C)
                g = 1.0f - static_cast<float> (static_cast<std::int64_t> (C - p) * (C - p)) * curve;
            else
            {
                g = 1.0f;
                state.fading = false;
            }

            state.currentAngle = static_cast<float> ((1.0 - double (g)) * double (state.fromAngle)
                                                     + double (g) * double (state.toAngle));
            cc = cosOf (state.currentAngle);
            sc = sinOf (state.currentAngle);
        }

        const auto re = state.delay.read (-L);
        const auto im = state.imaginary.read (-D);
        samples[i] = rotate (cc, sc, re, im) * gain;

        const auto nextRe = state.delay.read (h - L);
        const auto nextIm = state.imaginary.read (h - D);

        state.delay.write (x);
        state.imaginary.write (state.renderChain.process (state.reverse.push (x)));

        // Wait for the old and the new rotation to cross half a crossfade
        // ahead, so the glide is centred where both give the same output.
        if (! state.fading && ! (double (state.currentAngle) == double (targetAngle)))
        {
            const bool aboveBefore = rotate (cc, sc, prevRe, prevIm) > rotate (targetCos, targetSin, prevRe, prevIm);
            const bool aboveAfter = rotate (cc, sc, nextRe, nextIm) > rotate (targetCos, targetSin, nextRe, nextIm);

            if (aboveBefore != aboveAfter)
            {
                // Take the shorter way round the circle.
                auto from = state.currentAngle;

                if (double (from) - double (targetAngle) >= pi)
                    from = static_cast<float> (double (from) - twoPi);

                if (double (from) - double (targetAngle) < -pi)
                    from = static_cast<float> (double (from) + twoPi);

                state.fromAngle = from;
                state.toAngle = targetAngle;
                state.fading = true;
                state.fadeStart = outputPosition;
            }
        }

        prevRe = nextRe;
        prevIm = nextIm;
    }
}
} // namespace Tavo
