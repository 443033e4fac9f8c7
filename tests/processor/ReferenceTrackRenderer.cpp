#include "processor/ReferenceTrackRenderer.h"

#include "processor/HilbertCoefficients.h"

#include <algorithm>
#include <cmath>

namespace Tavo::Testing
{
namespace
{
    constexpr double pi = 3.141592653589793;
    constexpr double twoPi = 6.283185307179586;
    constexpr std::uint32_t captureCapacity = 1u << 19;

    std::int32_t wrapAdd (std::int32_t a, std::int32_t b)
    {
        return static_cast<std::int32_t> (static_cast<std::uint32_t> (a) + static_cast<std::uint32_t> (b));
    }

    // cos and sin in double, rounded to single precision.
    float cosOf (float angle)
    {
        return static_cast<float> (std::cos (double (angle)));
    }
    float sinOf (float angle)
    {
        return static_cast<float> (std::sin (double (angle)));
    }

    // c · re + s · im in double, rounded once to single precision.
    float rotate (float c, float s, float re, float im)
    {
        return static_cast<float> (double (c) * double (re) + double (s) * double (im));
    }

    float linearGain (float decibels)
    {
        if (!(decibels > -100.0f))
            return 0.0f;

        const auto exponent = static_cast<float> (double (decibels) * 0.05);
        return static_cast<float> (std::pow (10.0, double (exponent)));
    }
} // namespace

//==============================================================================
void ReferenceTrackRenderer::Ring::reset()
{
    pos = 0;
    wrapped = false;
}

void ReferenceTrackRenderer::Ring::write (float x)
{
    slots[size_t (pos)] = x;
    pos = pos + 1;

    if (pos == int (slots.size()))
    {
        pos = 0;
        wrapped = true;
    }
}

float ReferenceTrackRenderer::Ring::read (int offset) const
{
    const auto capacity = int (slots.size());

    if (offset < 0)
    {
        if (-offset <= pos)
            return slots[size_t (pos + offset)];

        return wrapped && -offset <= capacity ? slots[size_t (pos + offset + capacity)] : 0.0f;
    }

    return wrapped && offset < capacity ? slots[size_t ((pos + offset) % capacity)] : 0.0f;
}

//==============================================================================
void ReferenceTrackRenderer::Chain::load (const std::vector<float>& coefficients)
{
    c = coefficients;
    x1.assign (c.size(), 0.0f);
    y1.assign (c.size(), 0.0f);
}

void ReferenceTrackRenderer::Chain::clear()
{
    std::fill (x1.begin(), x1.end(), 0.0f);
    std::fill (y1.begin(), y1.end(), 0.0f);
}

float ReferenceTrackRenderer::Chain::process (float v)
{
    for (size_t s = 0; s < c.size(); ++s)
    {
        float y = v - y1[s];
        y = y * c[s];
        y = y + x1[s];
        x1[s] = v;
        y1[s] = y;
        v = y;
    }

    return v;
}

//==============================================================================
void ReferenceTrackRenderer::Reverse::configure (int start, int length)
{
    startOffset = start;
    n = length;
    input.assign (size_t (n), 0.0f);
    output.assign (size_t (n), 0.0f);
    half = n / 2;
    slope = static_cast<float> (2.0 / double (float (n)));
    reset();
}

void ReferenceTrackRenderer::Reverse::reset()
{
    std::fill (input.begin(), input.end(), 0.0f);
    std::fill (output.begin(), output.end(), 0.0f);
    pos = startOffset;
}

float ReferenceTrackRenderer::Reverse::push (float x)
{
    const auto y = output[size_t (pos)];
    input[size_t (pos)] = x;
    pos = pos + 1;

    if (pos == n)
    {
        pos = 0;
        pass();
    }
    else if (pos == half)
    {
        pass();
    }

    return y;
}

void ReferenceTrackRenderer::Reverse::pass()
{
    const bool full = pos == 0;
    chain.clear();

    const auto window = [&] (int j)
    {
        const auto u = std::fabs (static_cast<float> (1.0 - double (slope) * double (j)));
        return full ? 1.0f - u : u;
    };

    const int firstBegin = full ? half : 0;
    const int firstEnd = full ? n : half;
    const int secondBegin = full ? 0 : half;
    const int secondEnd = full ? half : n;

    for (int j = firstEnd - 1; j >= firstBegin; --j)
        output[size_t (j)] = window (j) * chain.process (input[size_t (j)]);

    for (int j = secondEnd - 1; j >= secondBegin; --j)
        output[size_t (j)] = output[size_t (j)] + window (j) * chain.process (input[size_t (j)]);
}

//==============================================================================
void ReferenceTrackRenderer::Channel::reset()
{
    delay.reset();
    imaginary.reset();
    preFilterOutput = 0.0;
    captureA.clear();
    captureB.clear();
    render.clear();
    reverse.reset();
    fading = false;
    toAngle = 0.0f;
    currentAngle = 0.0f;
}

//==============================================================================
ReferenceTrackRenderer::ReferenceTrackRenderer (double rate, float staggerFraction)
    : sampleRate (rate)
    , stagger (staggerFraction)
{
    HilbertCoefficients coefficients;
    coefficients.compute (static_cast<float> (rate));
    setA = coefficients.getSetA();
    setB = coefficients.getSetB();

    for (auto& ring : captureRings)
        ring.assign (captureCapacity, 0.0f);

    for (auto& channel : channels)
        channel.delay.slots.assign (1u << 19, 0.0f);
}

void ReferenceTrackRenderer::configureDelay (int lookahead)
{
    if (lookahead == L)
        return;

    L = lookahead;
    D = static_cast<int> (std::floor (sampleRate * 0.03 + 0.5)) / 2;
    N = L - D;

    for (auto& channel : channels)
    {
        channel.captureA.load (setA);
        channel.captureB.load (setB);
        channel.render.load (setB);
        channel.reverse.chain.load (setA);
        channel.reverse.configure (static_cast<int> (float (N) * stagger), N);
        channel.imaginary.slots.assign (size_t (D), 0.0f);
        channel.reset();
    }
}

void ReferenceTrackRenderer::resetChannels()
{
    for (auto& channel : channels)
        channel.reset();
}

void ReferenceTrackRenderer::render (float* const* buffer, int numChannels, int numSamples, std::int32_t blockStart,
                                     const BlockSettings& settings, PhaseResultRing& results)
{
    configureDelay (settings.lookaheadSamples);

    for (int c = channelsInUse; c < numChannels; ++c)
        channels[size_t (c)].reset();

    channelsInUse = std::max (channelsInUse, numChannels);

    // Capture: the one-pole low-pass y[n] = (x[n] - a1 · y[n-1]) / a0 with
    // a0 = 1 + K and a1 = -K in double, then both chains.
    const double K = sampleRate / (settings.lowFrequencyFocus ? 800.0 : 20000.0) / twoPi;
    const double a0 = 1.0 + K;
    const double a1 = -K;
    const double g = 1.0 / a0;

    for (int c = 0; c < numChannels; ++c)
    {
        auto& channel = channels[size_t (c)];
        auto writePos = static_cast<std::uint32_t> (blockStart) % captureCapacity;

        for (int i = 0; i < numSamples; ++i)
        {
            double sum = double (buffer[c][i]);
            sum = sum - a1 * channel.preFilterOutput;
            channel.preFilterOutput = g * sum;

            const auto y = static_cast<float> (channel.preFilterOutput);
            captureRings[size_t (2 * c)][writePos] = channel.captureA.process (y);
            captureRings[size_t (2 * c + 1)][writePos] = channel.captureB.process (y);
            writePos = (writePos + 1) % captureCapacity;
        }
    }

    C = static_cast<int> (std::floor (0.03 * sampleRate + 0.5));
    h = (C + 1) / 2;
    k = 1.0f / static_cast<float> (2 * h * h);

    const auto gain = linearGain (settings.gainDecibels);

    for (int start = 0; start < numSamples;)
    {
        int end = numSamples;
        results.take (start, end, wrapAdd (L, -blockStart), targetAngle);

        if (!settings.enabled)
            targetAngle = 0.0f;

        targetCos = cosOf (targetAngle);
        targetSin = sinOf (targetAngle);

        for (int c = 0; c < numChannels; ++c)
            renderChannel (channels[size_t (c)], buffer[c], start, end, blockStart, gain);

        start = end;
    }
}

void ReferenceTrackRenderer::renderChannel (Channel& S, float* samples, int start, int end, std::int32_t blockStart,
                                            float gain)
{
    auto cc = cosOf (S.currentAngle);
    auto sc = sinOf (S.currentAngle);
    auto prevRe = S.delay.read (h - L - 1);
    auto prevIm = S.imaginary.read (h - D - 1);

    for (int i = start; i < end; ++i)
    {
        const auto x = samples[i];

        if (!(double (S.toAngle) == double (targetAngle)))
            S.fading = false;

        if (S.fading)
        {
            const auto p = wrapAdd (wrapAdd (blockStart, i - L), -S.fadeStart);
            float G;

            if (p < 0)
                G = 0.0f;
            else if (p < h)
                G = static_cast<float> (std::int64_t (p) * p) * k;
            else if (p < C)
                G = 1.0f - static_cast<float> (std::int64_t (C - p) * (C - p)) * k;
            else
            {
                G = 1.0f;
                S.fading = false;
            }

            S.currentAngle =
                static_cast<float> ((1.0 - double (G)) * double (S.fromAngle) + double (G) * double (S.toAngle));
            cc = cosOf (S.currentAngle);
            sc = sinOf (S.currentAngle);
        }

        const auto re = S.delay.read (-L);
        const auto im = S.imaginary.read (-D);
        samples[i] = rotate (cc, sc, re, im) * gain;

        const auto nextRe = S.delay.read (h - L);
        const auto nextIm = S.imaginary.read (h - D);

        S.delay.write (x);
        S.imaginary.write (S.render.process (S.reverse.push (x)));

        if (!S.fading && !(double (S.currentAngle) == double (targetAngle)))
        {
            const bool oldAbovePrev = rotate (cc, sc, prevRe, prevIm) > rotate (targetCos, targetSin, prevRe, prevIm);
            const bool oldAboveNext = rotate (cc, sc, nextRe, nextIm) > rotate (targetCos, targetSin, nextRe, nextIm);

            if (oldAboveNext != oldAbovePrev)
            {
                auto from = S.currentAngle;

                if (double (from) - double (targetAngle) >= pi)
                    from = static_cast<float> (double (from) - twoPi);

                if (double (from) - double (targetAngle) < -pi)
                    from = static_cast<float> (double (from) + twoPi);

                S.fromAngle = from;
                S.toAngle = targetAngle;
                S.fading = true;
                S.fadeStart = wrapAdd (blockStart, i - L);
            }
        }

        prevRe = nextRe;
        prevIm = nextIm;
    }
}
} // namespace Tavo::Testing
