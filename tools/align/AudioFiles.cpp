#include "AudioFiles.h"

#include "AlignError.h"

#include <memory>

namespace Tavo::Align
{
namespace
{
    juce::AudioFormatManager& formats()
    {
        static auto manager = [] {
            auto m = std::make_unique<juce::AudioFormatManager>();
            m->registerBasicFormats();
            return m;
        }();

        return *manager;
    }

    juce::String pathOf (const juce::File& file) { return file.getFullPathName(); }

    /** A file beside the destination that becomes it on commit, or vanishes. */
    class PendingFile
    {
    public:
        explicit PendingFile (const juce::File& destinationIn)
            : destination (destinationIn),
              temporary (destination.getSiblingFile ("." + destination.getFileName() + ".partial-"
                                                     + juce::String::toHexString (juce::Random::getSystemRandom().nextInt())))
        {
        }

        ~PendingFile() { temporary.deleteFile(); }

        const juce::File& file() const { return temporary; }

        void commit (bool force)
        {
            if (destination.exists() && ! force)
                throw fileError (pathOf (destination).toStdString(), "exists (use --force to replace it)");

            if (! temporary.moveFileTo (destination))
                throw fileError (pathOf (destination).toStdString(), "cannot be written");
        }

    private:
        juce::File destination;
        juce::File temporary;
    };
} // namespace

std::vector<InputTrack> readInputs (const std::vector<std::string>& files)
{
    std::vector<InputTrack> inputs;

    for (const auto& name : files)
    {
        const auto file = juce::File::getCurrentWorkingDirectory().getChildFile (name);

        if (! file.existsAsFile())
            throw fileError (name, file.isDirectory() ? "is a folder, not an audio file" : "no such file");

        std::unique_ptr<juce::AudioFormatReader> reader (formats().createReaderFor (file));

        if (reader == nullptr)
            throw fileError (name, "cannot be read as audio (unsupported format or damaged file)");

        if (reader->numChannels < 1 || reader->numChannels > 2)
            throw fileError (name, "has " + std::to_string (reader->numChannels) + " channels; only mono and stereo are supported");

        if (reader->lengthInSamples <= 0)
            throw fileError (name, "holds no audio");

        if (reader->lengthInSamples > std::numeric_limits<int>::max() / 2)
            throw fileError (name, "is too long");

        InputTrack input;
        input.file = file;
        input.sampleRate = reader->sampleRate;
        input.bitsPerSample = static_cast<int> (reader->bitsPerSample);
        input.formatName = reader->getFormatName();
        input.audio.setSize (static_cast<int> (reader->numChannels), static_cast<int> (reader->lengthInSamples));

        if (! reader->read (&input.audio, 0, input.audio.getNumSamples(), 0, true, true))
            throw fileError (name, "could not be read to the end");

        if (! inputs.empty() && input.sampleRate != inputs.front().sampleRate)
            throw fileError (name, "has a sample rate of " + juce::String (input.sampleRate).toStdString() + " Hz but "
                                       + inputs.front().file.getFileName().toStdString() + " has "
                                       + juce::String (inputs.front().sampleRate).toStdString()
                                       + " Hz; all tracks need one rate");

        inputs.push_back (std::move (input));
    }

    return inputs;
}

void checkDestination (const juce::File& destination, bool force, const std::vector<InputTrack>& inputs)
{
    for (const auto& input : inputs)
        if (input.file == destination)
            throw fileError (pathOf (destination).toStdString(), "is an input; inputs are never overwritten");

    if (destination.exists() && ! force)
        throw fileError (pathOf (destination).toStdString(), "exists (use --force to replace it)");
}

void writeAudio (const juce::File& destination, const juce::AudioBuffer<float>& audio, double sampleRate,
                 const InputTrack& like, bool force)
{
    auto* format = formats().findFormatForFileExtension (destination.getFileExtension());

    if (format == nullptr)
        format = formats().getDefaultFormat();

    PendingFile pending (destination);
    {
        auto stream = pending.file().createOutputStream();

        if (stream == nullptr)
            throw fileError (pathOf (destination).toStdString(), "cannot be written (is the folder writable?)");

        auto bits = like.bitsPerSample;
        const auto depths = format->getPossibleBitDepths();

        if (! depths.contains (bits))
            bits = depths.contains (24) ? 24 : depths[depths.size() - 1];

        std::unique_ptr<juce::AudioFormatWriter> writer (
            format->createWriterFor (stream.get(), sampleRate, static_cast<unsigned int> (audio.getNumChannels()), bits, {}, 0));

        if (writer == nullptr)
            throw fileError (pathOf (destination).toStdString(), "cannot be written in this format");

        stream.release(); // the writer owns it now

        if (! writer->writeFromAudioSampleBuffer (audio, 0, audio.getNumSamples()) || ! writer->flush())
            throw fileError (pathOf (destination).toStdString(), "could not be written completely (disk full?)");
    }

    pending.commit (force);
}

void writeText (const juce::File& destination, const juce::String& text, bool force)
{
    const auto utf8 = text.toStdString();
    writeData (destination, juce::MemoryBlock (utf8.data(), utf8.size()), force);
}

void writeData (const juce::File& destination, const juce::MemoryBlock& data, bool force)
{
    PendingFile pending (destination);

    if (! pending.file().replaceWithData (data.getData(), data.getSize()))
        throw fileError (pathOf (destination).toStdString(), "cannot be written (is the folder writable?)");

    pending.commit (force);
}
} // namespace Tavo::Align
