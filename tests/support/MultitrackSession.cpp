#include "support/MultitrackSession.h"

namespace Tavo::Testing
{
MultitrackSession::MultitrackSession (double sampleRate, int blockSize)
    : rate (sampleRate), block (blockSize)
{
}

TavoAudioProcessor& MultitrackSession::addTrack (int numChannels)
{
    tracks.push_back (std::make_unique<TavoAudioProcessor>());
    channels.push_back (numChannels);
    tracks.back()->setPlayConfigDetails (numChannels, numChannels, rate, block);
    tracks.back()->setStaggerFraction (0.25f + 0.1f * float (tracks.size()));
    tracks.back()->setNonRealtime (threaded);
    tracks.back()->prepareToPlay (rate, block);
    return *tracks.back();
}

std::vector<std::vector<float>> MultitrackSession::play (const std::vector<std::vector<float>>& inputs)
{
    std::vector<std::unique_ptr<BlockPlayer>> players;

    for (size_t k = 0; k < tracks.size(); ++k)
        players.push_back (std::make_unique<BlockPlayer> (*tracks[k], channels[k], block));

    const auto length = inputs.front().size();
    std::vector<std::vector<float>> outputs (tracks.size());

    for (size_t offset = 0; offset < length; offset += size_t (block))
    {
        for (size_t k = 0; k < tracks.size(); ++k)
        {
            auto& buffer = players[k]->buffer;

            for (int c = 0; c < buffer.getNumChannels(); ++c)
                for (int i = 0; i < block; ++i)
                    buffer.setSample (c, i, offset + size_t (i) < length ? inputs[k][offset + size_t (i)] : 0.0f);

            const auto& out = players[k]->play();
            outputs[k].insert (outputs[k].end(), out.getReadPointer (0), out.getReadPointer (0) + block);
        }

        if (! threaded)
            TavoMaster::getInstance().runUntilCaughtUp();
    }

    for (auto& output : outputs)
        output.resize (length);

    return outputs;
}
} // namespace Tavo::Testing
