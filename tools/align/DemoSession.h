#pragma once

#include "AlignOptions.h"

#include <juce_core/juce_core.h>

namespace Tavo::Align
{
/** Synthesises a short multi-microphone drum session into `folder`: kick in
    and out, snare top and bottom (the bottom inverted), and an overhead pair
    that hears the kit later and duller. Returns the track list to align,
    with the kick and the snare microphones in groups of their own. */
std::vector<TrackSpec> writeDemoSession (const juce::File& folder, bool force);
} // namespace Tavo::Align
