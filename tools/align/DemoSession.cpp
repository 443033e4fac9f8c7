#include "DemoSession.h"

#include "AudioFiles.h"

#include <kiss_fftr.h>

#include <cmath>
#include <complex>
#include <random>

namespace Tavo::Align
{
namespace
{
    constexpr double rate = 48000.0;
    constexpr int seconds = 8;
    constexpr int length = int (rate) * seconds;

    using Signal = std::vector<float>;

    Signal kick()
    {
        Signal s (length, 0.0f);

        for (double hit = 0.0; hit < seconds; hit += 0.5)
        {
            double phase = 0.0;

            for (int i = 0; i < int (rate * 0.4); ++i)
            {
                const auto t = double (i) / rate;
                const auto at = int (hit * rate) + i;

                if (at >= length)
                    break;

                phase += 2.0 * M_PI * (48.0 + 90.0 * std::exp (-t * 30.0)) / rate;
                s[size_t (at)] += float (0.8 * std::exp (-t * 9.0) * std::sin (phase) + (i < 48 ? 0.3 * std::exp (-i / 8.0) : 0.0));
            }
        }

        return s;
    }

    Signal snare()
    {
        Signal s (length, 0.0f);
        std::mt19937 random (7);
        std::uniform_real_distribution<float> noise (-1.0f, 1.0f);

        for (double hit = 0.5; hit < seconds; hit += 1.0)
        {
            for (int i = 0; i < int (rate * 0.3); ++i)
            {
                const auto t = double (i) / rate;
                const auto at = int (hit * rate) + i;

                if (at >= length)
                    break;

                s[size_t (at)] += float (0.5 * std::exp (-t * 18.0) * noise (random)
                                         + 0.4 * std::exp (-t * 14.0) * std::sin (2.0 * M_PI * 190.0 * t));
            }
        }

        return s;
    }

    // Every frequency component advanced by `angle` radians: what a microphone
    // at another place and angle does to a drum's low partials.
    Signal rotated (const Signal& in, double angle)
    {
        auto* forward = kiss_fftr_alloc (length, 0, nullptr, nullptr);
        auto* inverse = kiss_fftr_alloc (length, 1, nullptr, nullptr);
        std::vector<kiss_fft_cpx> spectrum (length / 2 + 1);
        kiss_fftr (forward, in.data(), spectrum.data());
        const auto turn = std::polar (1.0, angle);

        for (size_t k = 1; k < spectrum.size() - 1; ++k)
        {
            const auto v = std::complex<double> (spectrum[k].r, spectrum[k].i) * turn;
            spectrum[k] = { float (v.real()), float (v.imag()) };
        }

        Signal out (length);
        kiss_fftri (inverse, spectrum.data(), out.data());
        kiss_fftr_free (forward);
        kiss_fftr_free (inverse);

        for (auto& v : out)
            v /= float (length);

        return out;
    }

    Signal delayedAndDull (const Signal& in, int delay, double cutoffHz)
    {
        Signal out (length, 0.0f);
        const auto k = std::exp (-2.0 * M_PI * cutoffHz / rate);
        double y = 0.0;

        for (int i = 0; i < length; ++i)
        {
            y = (1.0 - k) * (i >= delay ? in[size_t (i - delay)] : 0.0f) + k * y;
            out[size_t (i)] = float (y);
        }

        return out;
    }

    Signal mix (std::initializer_list<std::pair<float, const Signal*>> parts)
    {
        Signal out (length, 0.0f);

        for (const auto& [gain, signal] : parts)
            for (int i = 0; i < length; ++i)
                out[size_t (i)] += gain * (*signal)[size_t (i)];

        return out;
    }

    void write (const juce::File& file, const std::vector<const Signal*>& channels, bool force)
    {
        juce::AudioBuffer<float> audio (int (channels.size()), length);

        for (size_t c = 0; c < channels.size(); ++c)
            audio.copyFrom (int (c), 0, channels[c]->data(), length);

        InputTrack like;
        like.bitsPerSample = 24;
        writeAudio (file, audio, rate, like, force);
    }
} // namespace

std::vector<TrackSpec> writeDemoSession (const juce::File& folder, bool force)
{
    folder.createDirectory();

    const auto k = kick();
    const auto s = snare();
    const auto kickOut = rotated (k, 1.9);
    const auto snareUnder = rotated (s, 0.5);
    const auto kitLeft = mix ({ { 0.35f, &k }, { 0.6f, &s } });
    const auto kitRight = mix ({ { 0.3f, &k }, { 0.5f, &s } });
    const auto overheadLeft = delayedAndDull (kitLeft, 144, 6000.0);
    const auto overheadRight = delayedAndDull (rotated (kitRight, -0.6), 160, 5000.0);

    const auto kickIn = mix ({ { 1.0f, &k }, { 0.05f, &s } });
    const auto kickOutMic = mix ({ { 0.8f, &kickOut }, { 0.08f, &s } });
    const auto snareTop = mix ({ { 1.0f, &s }, { 0.12f, &k } });
    const auto snareBottom = mix ({ { -0.7f, &snareUnder }, { 0.1f, &k } });

    struct Track
    {
        const char* name;
        std::vector<const Signal*> channels;
        int group;
    };

    const Track tracks[] = {
        { "kick_in.wav", { &kickIn }, 1 },
        { "kick_out.wav", { &kickOutMic }, 1 },
        { "snare_top.wav", { &snareTop }, 2 },
        { "snare_bottom.wav", { &snareBottom }, 2 },
        { "overheads.wav", { &overheadLeft, &overheadRight }, 0 },
    };

    std::vector<TrackSpec> specs;

    for (const auto& track : tracks)
    {
        const auto file = folder.getChildFile (track.name);
        write (file, track.channels, force);

        TrackSpec spec;
        spec.file = file.getFullPathName().toStdString();
        spec.group = track.group;
        specs.push_back (spec);
    }

    return specs;
}
} // namespace Tavo::Align
