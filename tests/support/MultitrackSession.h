#pragma once

#include "master/TavoMaster.h"
#include "processor/TavoAudioProcessor.h"
#include "support/TestHost.h"

#include <memory>
#include <vector>

namespace Tavo::Testing
{
/** A host for several processors in one process: every block is played
    through every track at one timeline position, then the master analyses
    whatever has become ready, as fast as the audio. */
class MultitrackSession
{
public:
    MultitrackSession (double sampleRate, int blockSize);

    TavoAudioProcessor& addTrack (int numChannels = 1);

    /** Drive the master by hand after every block (the default), or leave it
        to the master's own thread, with the tracks rendering offline. */
    void useMasterThread (bool shouldUseThread) { threaded = shouldUseThread; }

    /** Plays the inputs (one per track, mono, copied to every channel) from
        timeline position 0; returns channel 0 of every track's output. */
    std::vector<std::vector<float>> play (const std::vector<std::vector<float>>& inputs);

    std::vector<std::unique_ptr<TavoAudioProcessor>> tracks;

private:
    double rate;
    int block;
    std::vector<int> channels;
    bool threaded = false;
};
} // namespace Tavo::Testing
