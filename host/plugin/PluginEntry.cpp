#include "processor/TavoAudioProcessor.h"

// The format wrappers create every instance through this function.
juce::AudioProcessor* JUCE_CALLTYPE createPluginFilter()
{
    return new Tavo::TavoAudioProcessor();
}
