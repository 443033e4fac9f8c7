#include "processor/TavoAudioProcessor.h"
#include "services/CheckUpdatesThread.h"

// The format wrappers create every instance through this function.
juce::AudioProcessor* JUCE_CALLTYPE createPluginFilter()
{
    // Only the plug-in asks for updates; the tools and tests link the same engine.
    Tavo::CheckUpdatesThread::setChecksEnabled (true);
    return new Tavo::TavoAudioProcessor();
}
