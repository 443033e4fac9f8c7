#include "AlignCommand.h"

#include <juce_events/juce_events.h>

#include <iostream>

int main (int argc, char** argv)
{
    juce::ScopedJuceInitialiser_GUI framework;
    return Tavo::Align::runAlignCommand (argc, argv, std::cout, std::cerr);
}
