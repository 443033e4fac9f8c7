#pragma once

#include "AlignSession.h"

#include <juce_graphics/juce_graphics.h>

#include <string>

namespace Tavo::Align
{
/** The mix level in dB relative to full scale (RMS over all channels). */
double levelDb (double energy, const juce::AudioBuffer<float>& audio);

/** The JSON report: per track its instance, group, final angle and the angle
    after every analysis window; the mix energy before and after. */
std::string reportJson (const AlignResult& result, const std::vector<InputTrack>& inputs);

/** A picture of every track's angle over time and the mix level before and
    after alignment. */
juce::Image plotImage (const AlignResult& result, const std::vector<InputTrack>& inputs);

/** The table printed after an alignment. */
std::string summaryTable (const AlignResult& result, const std::vector<InputTrack>& inputs);
} // namespace Tavo::Align
