#include "Report.h"

#include <nlohmann/json.hpp>

#include <cmath>
#include <cstdio>

namespace Tavo::Align
{
double levelDb (double energy, const juce::AudioBuffer<float>& audio)
{
    const auto count = double (audio.getNumSamples()) * audio.getNumChannels();
    return count > 0 && energy > 0 ? 10.0 * std::log10 (energy / count) : -200.0;
}

std::string reportJson (const AlignResult& result, const std::vector<InputTrack>& inputs)
{
    nlohmann::json report;
    report["sample_rate"] = result.sampleRate;
    report["mix"] = { { "energy_before", result.energyBefore },
                      { "energy_after", result.energyAfter },
                      { "level_before_db", levelDb (result.energyBefore, result.mixBefore) },
                      { "level_after_db", levelDb (result.energyAfter, result.mixAfter) } };

    auto& tracks = report["tracks"] = nlohmann::json::array();

    for (size_t k = 0; k < result.tracks.size(); ++k)
    {
        const auto& track = result.tracks[k];
        auto angles = nlohmann::json::array();

        for (const auto& [seconds, degrees] : track.angles)
            angles.push_back ({ { "time_s", seconds }, { "angle_deg", degrees } });

        tracks.push_back ({ { "file", inputs[k].file.getFileName().toStdString() },
                            { "instance", track.instanceNumber },
                            { "group", track.group },
                            { "final_angle_deg", track.finalAngleDegrees },
                            { "angles", angles } });
    }

    return report.dump (2) + "\n";
}

namespace
{
    juce::Colour colourOf (size_t track)
    {
        return juce::Colour::fromHSV (float (std::fmod (0.13 + 0.618034 * double (track), 1.0)), 0.75f, 0.95f, 1.0f);
    }

    // The RMS level in dB of consecutive 50 ms stretches of a mix.
    std::vector<float> levelCurve (const juce::AudioBuffer<float>& mix, double rate)
    {
        const auto stretch = std::max (1, int (rate * 0.05));
        std::vector<float> curve;

        for (int start = 0; start < mix.getNumSamples(); start += stretch)
        {
            const auto n = std::min (stretch, mix.getNumSamples() - start);
            double sum = 0.0;

            for (int c = 0; c < mix.getNumChannels(); ++c)
                for (int i = start; i < start + n; ++i)
                    sum += double (mix.getSample (c, i)) * mix.getSample (c, i);

            curve.push_back (float (10.0 * std::log10 (std::max (sum / (n * mix.getNumChannels()), 1e-12))));
        }

        return curve;
    }
} // namespace

juce::Image plotImage (const AlignResult& result, const std::vector<InputTrack>& inputs)
{
    constexpr int width = 1200, height = 800, margin = 60;
    juce::Image image (juce::Image::RGB, width, height, true);
    juce::Graphics g (image);
    g.fillAll (juce::Colour (0xff16181d));

    const auto duration = std::max (1e-6, double (result.mixBefore.getNumSamples()) / result.sampleRate);
    const juce::Rectangle<float> anglesArea (margin, 40, width - 2 * margin - 160, 420);
    const juce::Rectangle<float> levelArea (margin, 520, width - 2 * margin - 160, 230);

    const auto xOf = [&] (const juce::Rectangle<float>& area, double seconds) {
        return area.getX() + float (seconds / duration) * area.getWidth();
    };

    g.setFont (14.0f);

    for (const auto& [area, title] : { std::pair { anglesArea, "Angle (degrees) over time" },
                                       std::pair { levelArea, "Mix level (dB) before and after" } })
    {
        g.setColour (juce::Colour (0xff2a2e36));
        g.fillRect (area);
        g.setColour (juce::Colours::white);
        g.drawText (title, area.withY (area.getY() - 24).withHeight (20), juce::Justification::left);
        g.setColour (juce::Colours::white.withAlpha (0.4f));
        g.drawText ("0 s", area.withY (area.getBottom() + 2).withHeight (18), juce::Justification::left);
        g.drawText (juce::String (duration, 1) + " s", area.withY (area.getBottom() + 2).withHeight (18),
                    juce::Justification::right);
    }

    // Angles: -180 at the bottom, +180 at the top.
    const auto yOfAngle = [&] (float degrees) {
        return anglesArea.getCentreY() - degrees / 180.0f * anglesArea.getHeight() * 0.5f;
    };

    g.setColour (juce::Colours::white.withAlpha (0.25f));

    for (const auto degrees : { -180.0f, -90.0f, 0.0f, 90.0f, 180.0f })
    {
        g.drawHorizontalLine (int (yOfAngle (degrees)), anglesArea.getX(), anglesArea.getRight());
        g.drawText (juce::String (int (degrees)), juce::Rectangle<float> (0, yOfAngle (degrees) - 9, margin - 6, 18),
                    juce::Justification::right);
    }

    for (size_t k = 0; k < result.tracks.size(); ++k)
    {
        juce::Path path;
        bool started = false;

        for (const auto& [seconds, degrees] : result.tracks[k].angles)
        {
            const auto point = juce::Point<float> (xOf (anglesArea, std::max (0.0, seconds)), yOfAngle (degrees));

            if (! started)
                path.startNewSubPath (point);
            else
                path.lineTo (point);

            started = true;
        }

        g.setColour (colourOf (k));
        g.strokePath (path, juce::PathStrokeType (2.0f));
        g.drawText (inputs[k].file.getFileNameWithoutExtension(),
                    juce::Rectangle<float> (anglesArea.getRight() + 12, anglesArea.getY() + 20.0f * float (k), 150, 18),
                    juce::Justification::left);
    }

    // Levels from -60 dB to 0 dB.
    const auto yOfLevel = [&] (float decibels) {
        return levelArea.getBottom() - juce::jlimit (0.0f, 1.0f, (decibels + 60.0f) / 60.0f) * levelArea.getHeight();
    };

    g.setColour (juce::Colours::white.withAlpha (0.25f));

    for (const auto decibels : { -60.0f, -40.0f, -20.0f, 0.0f })
    {
        g.drawHorizontalLine (int (yOfLevel (decibels)), levelArea.getX(), levelArea.getRight());
        g.drawText (juce::String (int (decibels)), juce::Rectangle<float> (0, yOfLevel (decibels) - 9, margin - 6, 18),
                    juce::Justification::right);
    }

    const std::pair<const juce::AudioBuffer<float>*, juce::Colour> mixes[] = {
        { &result.mixBefore, juce::Colour (0xffb0b0b0) },
        { &result.mixAfter, juce::Colour (0xff46d39a) },
    };

    for (const auto& [mix, colour] : mixes)
    {
        const auto curve = levelCurve (*mix, result.sampleRate);
        juce::Path path;

        for (size_t i = 0; i < curve.size(); ++i)
        {
            const auto point = juce::Point<float> (xOf (levelArea, double (i) * 0.05), yOfLevel (curve[i]));
            i == 0 ? path.startNewSubPath (point) : path.lineTo (point);
        }

        g.setColour (colour);
        g.strokePath (path, juce::PathStrokeType (1.5f));
    }

    g.setColour (mixes[0].second);
    g.drawText ("before", juce::Rectangle<float> (levelArea.getRight() + 12, levelArea.getY(), 150, 18),
                juce::Justification::left);
    g.setColour (mixes[1].second);
    g.drawText ("after", juce::Rectangle<float> (levelArea.getRight() + 12, levelArea.getY() + 20, 150, 18),
                juce::Justification::left);

    return image;
}

std::string summaryTable (const AlignResult& result, const std::vector<InputTrack>& inputs)
{
    std::string table;
    char line[256];
    std::snprintf (line, sizeof (line), "%-28s %6s %10s\n", "track", "group", "angle");
    table += line;

    for (size_t k = 0; k < result.tracks.size(); ++k)
    {
        std::snprintf (line, sizeof (line), "%-28s %6d %9.1f\xC2\xB0\n",
                       inputs[k].file.getFileName().substring (0, 28).toRawUTF8(), result.tracks[k].group,
                       double (result.tracks[k].finalAngleDegrees));
        table += line;
    }

    const auto before = levelDb (result.energyBefore, result.mixBefore);
    const auto after = levelDb (result.energyAfter, result.mixAfter);
    std::snprintf (line, sizeof (line), "mix level: %.2f dB before, %.2f dB after (%+.2f dB)\n", before, after, after - before);
    table += line;
    return table;
}
} // namespace Tavo::Align
