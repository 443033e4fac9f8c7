#pragma once

#include "master/PhaseResultRing.h"
#include "processor/TrackRenderer.h"

#include <array>
#include <cstdint>
#include <vector>

namespace Tavo::Testing
{
/** A plain scalar transcription of the track's audio path (capture,
    hand-off, rotation with crossfade, Hilbert path), written for clarity and
    not for speed. It is the golden model of the optimised TrackRenderer: both
    must give the same bits for the same calls. Single thread, allocates. */
class ReferenceTrackRenderer
{
public:
    ReferenceTrackRenderer (double sampleRate, float staggerFraction);

    /** Every channel back to angle 0 with empty rings and filters. */
    void resetChannels();

    /** The same contract as TrackRenderer::render. */
    void render (float* const* channels, int numChannels, int numSamples, std::int32_t blockStart,
                 const BlockSettings& settings, PhaseResultRing& results);

    /** The four capture rings, indexed by timeline position modulo 2^19. */
    std::array<std::vector<float>, 4> captureRings;

    float getCurrentAngle (int channel) const { return channels[size_t (channel)].currentAngle; }

private:
    struct Ring
    {
        std::vector<float> slots;
        int pos = 0;
        bool wrapped = false;

        void reset();
        void write (float x);
        float read (int offset) const;
    };

    struct Chain
    {
        std::vector<float> c, x1, y1;

        void load (const std::vector<float>& coefficients);
        void clear();
        float process (float v);
    };

    struct Reverse
    {
        Chain chain;
        std::vector<float> input, output;
        int n = 0, half = 0, pos = 0, startOffset = 0;
        float slope = 0.0f;

        void configure (int start, int length);
        void reset();
        float push (float x);
        void pass();
    };

    struct Channel
    {
        Ring delay, imaginary;
        double preFilterOutput = 0.0; // y[n-1] of the one-pole pre-filter
        Chain captureA, captureB, render;
        Reverse reverse;
        float currentAngle = 0.0f, fromAngle = 0.0f, toAngle = 0.0f;
        bool fading = false;
        std::int32_t fadeStart = 0;

        void reset();
    };

    void configureDelay (int lookahead);
    void renderChannel (Channel& channel, float* samples, int start, int end, std::int32_t blockStart, float gain);

    double sampleRate;
    float stagger;
    std::vector<float> setA, setB;
    std::array<Channel, 2> channels;
    int channelsInUse = 0;
    int L = 0, D = 0, N = 0;
    int C = 0, h = 0;
    float k = 0.0f;
    float targetAngle = 0.0f, targetCos = 1.0f, targetSin = 0.0f;
};
} // namespace Tavo::Testing
