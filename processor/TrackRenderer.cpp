#include "processor/TrackRenderer.h"

#include "model/ModelRules.h"
#include "processor/AllpassLanes.h"

#include <algorithm>
#include <cmath>

namespace Tavo
{
namespace
{
    constexpr double pi = 3.141592653589793;
    constexpr double twoPi = 6.283185307179586;
    constexpr double longestLookaheadMs = 1000.0;

    float cosOf (float angle)
    {
        return static_cast<float> (std::cos (double (angle)));
    }
    float sinOf (float angle)
    {
        return static_cast<float> (std::sin (double (angle)));
    }

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
    : rings (captureRings)
    , results (resultRing)
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

        if (!settings.enabled)
            targetAngle = 0.0f;

        targetCos = cosOf (targetAngle);
        targetSin = sinOf (targetAngle);

        Rotation rotations[maxChannels];

        for (int c = 0; c < numChannels; ++c)
        {
            const auto& state = *channelStates[size_t (c)];
            rotations[c].cc = cosOf (state.currentAngle);
            rotations[c].sc = sinOf (state.currentAngle);
            rotations[c].prevRe = state.delay.read (fadeHalf - lookahead - 1);
            rotations[c].prevIm = state.imaginary.read (fadeHalf - imagDelay - 1);
        }

        // The Hilbert path runs ahead one chunk at a time, both channels side
        // by side; the rotation then consumes its output sample by sample.
        for (int chunkStart = start; chunkStart < end; chunkStart += chunkLength)
        {
            const auto chunkEnd = std::min (end, chunkStart + chunkLength);
            runHilbertPath (channels, numChannels, chunkStart, chunkEnd);

            for (int c = 0; c < numChannels; ++c)
                renderChannel (*channelStates[size_t (c)], rotations[c], channels[c], imaginaryInput[c], chunkStart,
                               chunkEnd, blockStart, gain);
        }

        start = end;
    }
}

void TrackRenderer::capture (const float* const* channels, int numChannels, int numSamples, std::int32_t blockStart,
                             bool lowFocus)
{
    // The pre-filter is redesigned every block; its processors read the new
    // formula at once.
    preFilter.setFormula (FormulaFilter::lowPass (lowFocus ? 800.0 : 20000.0, sampleRate));

    FormulaFilter::FirstOrder design;

    if (numChannels > 0 && preFilter.getFirstOrder (design))
    {
        captureFirstOrder (channels, numChannels, numSamples, blockStart, design);
        return;
    }

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

void TrackRenderer::captureFirstOrder (const float* const* channels, int numChannels, int numSamples,
                                       std::int32_t blockStart, const FormulaFilter::FirstOrder& design)
{
    // Both capture chains of both channels in the four lanes of one
    // register: A0, B0, A1, B1. The pre-filter runs in double for both
    // channels in one register, with the operations of the formula
    // processor for this shape.
    auto& first = *channelStates[0];
    auto& second = *channelStates[1];
    const bool stereo = numChannels > 1;

    AllpassChain* chains[] = { &first.captureA, &first.captureB, stereo ? &second.captureA : nullptr,
                               stereo ? &second.captureB : nullptr };
    AllpassLanes lanes;
    lanes.gather (chains, 4);

    const auto b0 = _mm_set1_pd (design.b0);
    const auto a1 = _mm_set1_pd (design.a1);
    const auto g = _mm_set1_pd (design.normaliser);
    auto previous = _mm_setr_pd (first.preFilterOutput, stereo ? second.preFilterOutput : 0.0);

    const float* x0 = channels[0];
    const float* x1 = stereo ? channels[1] : channels[0];

    for (int r = 0; r < 2 * numChannels; ++r)
        rings[size_t (r)].seek (blockStart);

    alignas (16) float captured[chunkLength][4];

    for (int chunkStart = 0; chunkStart < numSamples; chunkStart += chunkLength)
    {
        const auto count = std::min (numSamples - chunkStart, chunkLength);

        runAllpassLanes (
            lanes, count,
            [&] (int i)
            {
                const auto j = chunkStart + i;
                const auto x = _mm_cvtps_pd (_mm_unpacklo_ps (_mm_load_ss (x0 + j), _mm_load_ss (x1 + j)));
                auto sum = _mm_add_pd (_mm_setzero_pd(), _mm_mul_pd (b0, x));
                sum = _mm_sub_pd (sum, _mm_mul_pd (a1, previous));
                previous = _mm_mul_pd (g, sum);
                const auto y = _mm_cvtpd_ps (previous);
                return _mm_unpacklo_ps (y, y);
            },
            [&] (int i, __m128 v) { _mm_store_ps (captured[i], v); });

        for (int r = 0; r < 2 * numChannels; ++r)
            for (int i = 0; i < count; ++i)
                rings[size_t (r)].write (captured[i][r]);
    }

    lanes.scatter (chains, 4);

    alignas (16) double filtered[2];
    _mm_store_pd (filtered, previous);
    first.preFilterOutput = filtered[0];

    if (stereo)
        second.preFilterOutput = filtered[1];
}

void TrackRenderer::runHilbertPath (const float* const* channels, int numChannels, int start, int end)
{
    const auto count = end - start;
    ReverseFilter* filters[maxChannels];
    const float* input[maxChannels];
    float* output[maxChannels];

    for (int c = 0; c < numChannels; ++c)
    {
        filters[c] = &channelStates[size_t (c)]->reverse;
        input[c] = channels[c] + start;
        output[c] = reverseOutput[c];
    }

    // Channels whose passes fall on the same samples share the lanes; a
    // channel that joined later is out of step until the next reset.
    if (numChannels == 2 && filters[0]->inStepWith (*filters[1]))
        ReverseFilter::pushBlock (filters, 2, input, output, count);
    else
        for (int c = 0; c < numChannels; ++c)
            ReverseFilter::pushBlock (filters + c, 1, input + c, output + c, count);

    AllpassChain* chains[] = { &channelStates[0]->renderChain,
                               numChannels > 1 ? &channelStates[1]->renderChain : nullptr };
    AllpassLanes lanes;
    lanes.gather (chains, 2);

    runAllpassLanes (
        lanes, count,
        [&] (int i)
        { return _mm_unpacklo_ps (_mm_load_ss (reverseOutput[0] + i), _mm_load_ss (reverseOutput[1] + i)); },
        [&] (int i, __m128 v)
        {
            _mm_store_ss (imaginaryInput[0] + i, v);
            _mm_store_ss (imaginaryInput[1] + i, _mm_shuffle_ps (v, v, _MM_SHUFFLE (1, 1, 1, 1)));
        });

    lanes.scatter (chains, 2);
}

void TrackRenderer::renderChannel (ChannelState& state, Rotation& rotation, float* samples,
                                   const float* imaginaryInputs, int start, int end, std::int32_t blockStart,
                                   float gain)
{
    const auto L = lookahead;
    const auto D = imagDelay;
    const auto h = fadeHalf;
    const auto delayCapacity = state.delay.capacity();
    const auto imagCapacity = state.imaginary.capacity();

    // Once the rings hold written samples wherever the reads reach, slot
    // arithmetic replaces the checked reads; the first samples after a
    // reset take the checked way.
    const bool direct = (delayCapacity & (delayCapacity - 1)) == 0 && L <= delayCapacity && h - L < 0
                        && state.delay.reachesWrittenSlots (L) && state.imaginary.hasWrapped() && D <= imagCapacity
                        && h - D < imagCapacity && h - D >= -imagCapacity;

    if (direct)
        rotateSamples<true> (state, rotation, samples, imaginaryInputs, start, end, blockStart, gain);
    else
        rotateSamples<false> (state, rotation, samples, imaginaryInputs, start, end, blockStart, gain);
}

template <bool Direct>
void TrackRenderer::rotateSamples (ChannelState& state, Rotation& rotation, float* samples,
                                   const float* imaginaryInputs, int start, int end, std::int32_t blockStart,
                                   float gain)
{
    const auto L = lookahead;
    const auto D = imagDelay;
    const auto h = fadeHalf;
    const auto C = fadeLength;

    auto cc = rotation.cc;
    auto sc = rotation.sc;
    auto prevRe = rotation.prevRe;
    auto prevIm = rotation.prevIm;

    float* const delaySlots = state.delay.slots();
    const int delayMask = state.delay.capacity() - 1;
    int delayPos = state.delay.position();

    float* const imagSlots = state.imaginary.slots();
    const int imagCapacity = state.imaginary.capacity();
    const auto wrapImag = [imagCapacity] (int index)
    { return index < 0 ? index + imagCapacity : (index >= imagCapacity ? index - imagCapacity : index); };
    int imagPos = state.imaginary.position();
    int imagNow = wrapImag (imagPos - D);
    int imagAhead = wrapImag (imagPos + h - D);

    int i = start;

    // Steady (no crossfade, and none can start while the angle is the
    // target): a plain rotation, four samples at a time wherever no ring
    // wraps. The last sample takes the full way below, which leaves the
    // look-ahead samples for the next chunk.
    if constexpr (Direct)
    {
        if (!state.fading && double (state.currentAngle) == double (targetAngle) && L >= 4)
        {
            const auto delayCapacity = delayMask + 1;
            const auto cosine = _mm_set1_pd (double (cc));
            const auto sine = _mm_set1_pd (double (sc));
            const auto gains = _mm_set1_ps (gain);
            const auto advance = [imagCapacity] (int index, int count)
            { return index + count >= imagCapacity ? index + count - imagCapacity : index + count; };

            while (i < end - 1)
            {
                const auto delayRead = (delayPos - L) & delayMask;

                if (i + 4 <= end - 1 && delayRead + 4 <= delayCapacity && delayPos + 4 <= delayCapacity
                    && imagNow + 4 <= imagCapacity && imagPos + 4 <= imagCapacity)
                {
                    const auto re = _mm_loadu_ps (delaySlots + delayRead);
                    const auto im = _mm_loadu_ps (imagSlots + imagNow);
                    const auto x = _mm_loadu_ps (samples + i);
                    const auto u = _mm_loadu_ps (imaginaryInputs + (i - start));

                    const auto low =
                        _mm_add_pd (_mm_mul_pd (cosine, _mm_cvtps_pd (re)), _mm_mul_pd (sine, _mm_cvtps_pd (im)));
                    const auto high = _mm_add_pd (_mm_mul_pd (cosine, _mm_cvtps_pd (_mm_movehl_ps (re, re))),
                                                  _mm_mul_pd (sine, _mm_cvtps_pd (_mm_movehl_ps (im, im))));
                    const auto rotated = _mm_movelh_ps (_mm_cvtpd_ps (low), _mm_cvtpd_ps (high));
                    _mm_storeu_ps (samples + i, _mm_mul_ps (rotated, gains));

                    _mm_storeu_ps (delaySlots + delayPos, x);
                    _mm_storeu_ps (imagSlots + imagPos, u);
                    delayPos = (delayPos + 4) & delayMask;
                    imagPos = advance (imagPos, 4);
                    imagNow = advance (imagNow, 4);
                    imagAhead = advance (imagAhead, 4);
                    i += 4;
                }
                else
                {
                    const auto x = samples[i];
                    samples[i] = rotate (cc, sc, delaySlots[delayRead], imagSlots[imagNow]) * gain;
                    delaySlots[delayPos] = x;
                    imagSlots[imagPos] = imaginaryInputs[i - start];
                    delayPos = (delayPos + 1) & delayMask;
                    imagPos = advance (imagPos, 1);
                    imagNow = advance (imagNow, 1);
                    imagAhead = advance (imagAhead, 1);
                    ++i;
                }
            }
        }
    }

    for (; i < end; ++i)
    {
        const auto x = samples[i];
        const auto outputPosition = wrapAdd (blockStart, i - L);

        // A target that changes during a crossfade stops it where it is.
        if (!(double (state.toAngle) == double (targetAngle)))
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

        float re, im, nextRe, nextIm;
        const auto u = imaginaryInputs[i - start];

        if constexpr (Direct)
        {
            re = delaySlots[(delayPos - L) & delayMask];
            im = imagSlots[imagNow];
            samples[i] = rotate (cc, sc, re, im) * gain;

            nextRe = delaySlots[(delayPos + h - L) & delayMask];
            nextIm = imagSlots[imagAhead];

            delaySlots[delayPos] = x;
            delayPos = (delayPos + 1) & delayMask;
            imagSlots[imagPos] = u;
            imagPos = imagPos + 1 == imagCapacity ? 0 : imagPos + 1;
            imagNow = imagNow + 1 == imagCapacity ? 0 : imagNow + 1;
            imagAhead = imagAhead + 1 == imagCapacity ? 0 : imagAhead + 1;
        }
        else
        {
            re = state.delay.read (-L);
            im = state.imaginary.read (-D);
            samples[i] = rotate (cc, sc, re, im) * gain;

            nextRe = state.delay.read (h - L);
            nextIm = state.imaginary.read (h - D);

            state.delay.write (x);
            state.imaginary.write (u);
        }

        // Wait for the old and the new rotation to cross half a crossfade
        // ahead, so the glide is centred where both give the same output.
        if (!state.fading && !(double (state.currentAngle) == double (targetAngle)))
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

    if constexpr (Direct)
    {
        state.delay.advance (end - start);
        state.imaginary.advance (end - start);
    }

    rotation.cc = cc;
    rotation.sc = sc;
    rotation.prevRe = prevRe;
    rotation.prevIm = prevIm;
}
} // namespace Tavo
