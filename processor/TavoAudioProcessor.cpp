#include "processor/TavoAudioProcessor.h"

#include "host/PluginIdentity.h"
#include "master/TavoMaster.h"
#include "model/ModelRules.h"
#include "model/StateBlock.h"
#include "processor/TavoParameter.h"

#include <cmath>

namespace Tavo
{
namespace
{
    // Stable identifiers in host index order: hosts store automation under them.
    constexpr const char* parameterIdentifiers[] = {
        "global_enabled", "global_low_freq_focus", "group", "group_enable_mode", "group_gain", "gain", "weight",
    };
} // namespace

TavoAudioProcessor::TavoAudioProcessor()
    : ParameterDescriptionLayer (BusesProperties()
                                     .withInput ("Input", juce::AudioChannelSet::stereo(), true)
                                     .withOutput ("Output", juce::AudioChannelSet::stereo(), true))
{
    const auto defaults = makeDefaultModel();

    for (int i = 0; i < paramTable.size(); ++i)
    {
        const auto defaultValue = static_cast<float> (paramTable.entry (i).path.read (activeSet (defaults)));
        addParameter (new TavoParameter (*this, i, parameterIdentifiers[i], normalisedFromValue (i, defaultValue)));
    }

    hostKind = hostEnvironment()->detectHost();

    {
        const juce::ScopedLock lock (modelLock);
        initialiseModel();
    }

    TavoMaster::getInstance().registerProcessor (*this);

    hostLatencyRecord = TavoMaster::getInstance().sharedConfig().hostRecord();

    {
        const juce::ScopedLock lock (modelLock);
        model.mutable_global_config()->set_lookahead_buffer_ms (lookaheadMillisecondsFor (hostLatencyRecord));
        publishRenderSettings();
    }

    // Independent per instance, so reverse-filter passes of different tracks
    // fall on different samples.
    juce::Random random (juce::Random::getSystemRandom().nextInt64() ^ (juce::int64 (instanceNumber) << 32));
    staggerFraction = random.nextFloat();
}

TavoAudioProcessor::~TavoAudioProcessor()
{
    TavoMaster::getInstance().unregisterProcessor (*this);
    cancelPendingUpdate();
}

//==============================================================================
ParameterInfo TavoAudioProcessor::getParameterInfo (int index) const
{
    const auto& entry = paramTable.entry (index);
    return { entry.name, {}, 0.0f, static_cast<float> (entry.minimum), static_cast<float> (entry.maximum), entry.scaling };
}

float TavoAudioProcessor::getParameterValue (int index)
{
    const juce::ScopedLock lock (modelLock);
    return static_cast<float> (paramTable.entry (index).path.read (activeSet (model)));
}

void TavoAudioProcessor::setParameterValue (int index, float value)
{
    const juce::ScopedLock lock (modelLock);
    paramTable.entry (index).path.write (activeSet (model), double (value));
    paramsChanged.exchange (1);
    publishRenderSettings();
}

//==============================================================================
const juce::String TavoAudioProcessor::getName() const
{
    return PluginIdentity::name;
}

double TavoAudioProcessor::getTailLengthSeconds() const
{
    return PluginIdentity::tailLengthSeconds;
}

const juce::String TavoAudioProcessor::getInputChannelName (int channelIndex) const
{
    return juce::String (channelIndex + 1);
}

const juce::String TavoAudioProcessor::getOutputChannelName (int channelIndex) const
{
    return juce::String (channelIndex + 1);
}

bool TavoAudioProcessor::isBusesLayoutSupported (const BusesLayout& layouts) const
{
    const auto input = layouts.getMainInputChannelSet();
    const auto output = layouts.getMainOutputChannelSet();

    return input == output && (input == juce::AudioChannelSet::mono() || input == juce::AudioChannelSet::stereo());
}

juce::AudioProcessorEditor* TavoAudioProcessor::createEditor()
{
    return new juce::GenericAudioProcessorEditor (*this);
}

//==============================================================================
void TavoAudioProcessor::initialiseModel()
{
    model = makeDefaultModel();
}

Model TavoAudioProcessor::copyModel() const
{
    const juce::ScopedLock lock (modelLock);
    return model;
}

void TavoAudioProcessor::publishRenderSettings()
{
    const auto& active = activeSet (model);
    renderSettings.gainDecibels.store (static_cast<float> (active.gain() + active.group_params().gain()));
    renderSettings.enabled.store (active.global_params().is_enabled());
    renderSettings.lowFrequencyFocus.store (active.global_params().is_low_freq_focus());
    renderSettings.lookaheadMilliseconds.store (effectiveLookaheadMilliseconds (model.global_config()));
    renderSettings.frequencyView.store (model.gui_settings().is_freq_graph());
    renderSettings.groupView.store (model.gui_settings().is_group_graph());
}

int TavoAudioProcessor::lookaheadSamplesFor (double sampleRate) const
{
    return lookaheadSamplesAt (renderSettings.lookaheadMilliseconds.load(), sampleRate);
}

//==============================================================================
void TavoAudioProcessor::prepareToPlay (double sampleRate, int)
{
    processedEnd.store (-1);
    processedEndAtResync.store (-1);
    streamStart.store (-1);
    preparedSampleRate.store (sampleRate);
    captureChannels.store (juce::jlimit (1, 2, getTotalNumInputChannels()));
    renderer.prepare (sampleRate, staggerFraction);

    if (stateKnown || isLogicHost())
        updateLatency();

    prepared.store (true, std::memory_order_release);
}

void TavoAudioProcessor::reset()
{
    // Hosts call this from various threads; the audio thread does the reset.
    renderer.requestReset();
}

void TavoAudioProcessor::updateLatency()
{
    const auto lookahead = lookaheadSamplesFor (getPreparedSampleRate() > 0.0 ? getPreparedSampleRate() : getSampleRate());
    const auto report = TavoMaster::getInstance().sharedConfig().config().report_latency();
    const auto latency = report ? lookahead : 0;

    latencyRequest.store (latency);
    setLatencySamples (latency);
}

void TavoAudioProcessor::requestReportedLatency (int samples)
{
    if (latencyRequest.exchange (samples) != samples)
        triggerAsyncUpdate();
}

void TavoAudioProcessor::handleAsyncUpdate()
{
    setLatencySamples (latencyRequest.load());
}

//==============================================================================
void TavoAudioProcessor::processBlock (juce::AudioBuffer<float>& buffer, juce::MidiBuffer&)
{
    render (buffer, false);
}

void TavoAudioProcessor::processBlockBypassed (juce::AudioBuffer<float>& buffer, juce::MidiBuffer&)
{
    render (buffer, true);
}

void TavoAudioProcessor::waitForCorrectionsOf (int numSamples, int lookahead)
{
    // Rendering offline runs faster than the analysis: wait until every
    // correction due in this block's output is published, so an export
    // equals playback. Only windows that earlier blocks have captured far
    // enough can be waited for; very long blocks take the rest late.
    const auto sampleRate = getPreparedSampleRate();
    const auto hop = std::max (1, static_cast<int> (std::floor (0.05f * static_cast<float> (sampleRate) + 0.5f)));
    const auto lead = static_cast<int> (std::floor (double (static_cast<float> (hop)) * 0.3 + 0.5));
    const auto margin = static_cast<int> (std::floor (hostLatencyRecord.marginSeconds * sampleRate + 0.5));
    const auto reach = std::min (numSamples + lead, margin);
    const auto position = static_cast<std::int32_t> (static_cast<std::uint32_t> (blockStart)
                                                     + static_cast<std::uint32_t> (reach - lookahead));

    TavoMaster::getInstance().waitForAnalysisBefore (position, 500);
}

std::int32_t TavoAudioProcessor::timelinePositionOfBlock()
{
    if (auto* playHead = getPlayHead())
        if (const auto position = playHead->getPosition())
            if (const auto samples = position->getTimeInSamples())
                return static_cast<std::int32_t> (static_cast<std::uint64_t> (*samples));

    // No transport: carry on from the previous block, so the stream stays continuous.
    const auto previousEnd = processedEnd.load();
    return previousEnd == -1 ? 0 : previousEnd;
}

void TavoAudioProcessor::render (juce::AudioBuffer<float>& buffer, bool bypassed)
{
    juce::ScopedNoDenormals noDenormals;

    if (! prepared.load (std::memory_order_acquire))
    {
        buffer.clear();
        return;
    }

    BlockSettings settings;
    settings.lookaheadSamples = lookaheadSamplesFor (getPreparedSampleRate());
    settings.gainDecibels = renderSettings.gainDecibels.load (std::memory_order_relaxed);
    settings.enabled = ! bypassed && renderSettings.enabled.load (std::memory_order_relaxed);
    settings.lowFrequencyFocus = renderSettings.lowFrequencyFocus.load (std::memory_order_relaxed);

    renderer.configureDelay (settings.lookaheadSamples);
    lookaheadSamples.store (settings.lookaheadSamples, std::memory_order_relaxed);

    const auto numSamples = buffer.getNumSamples();
    blockStart = timelinePositionOfBlock();

    // A jump, a loop, a skipped block or a new prepare: start over.
    if (blockStart != processedEnd.load())
    {
        renderer.resetChannels();
        streamStart.exchange (blockStart);
    }
    else if (isNonRealtime())
    {
        waitForCorrectionsOf (numSamples, settings.lookaheadSamples);
    }

    const auto numChannels = std::min (buffer.getNumChannels(), TrackRenderer::maxChannels);
    renderer.render (buffer.getArrayOfWritePointers(), numChannels, numSamples, blockStart, settings);

    for (int c = numChannels; c < buffer.getNumChannels(); ++c)
        buffer.clear (c, 0, numSamples);

    blockStart = static_cast<std::int32_t> (static_cast<std::uint32_t> (blockStart) + static_cast<std::uint32_t> (numSamples));
    processedEnd.exchange (blockStart);
}

//==============================================================================
void TavoAudioProcessor::getStateInformation (juce::MemoryBlock& destination)
{
    const auto bytes = StateBlock::serialise (copyModel());

    if (! bytes.empty())
        destination.append (bytes.data(), bytes.size());
}

void TavoAudioProcessor::getCurrentProgramStateInformation (juce::MemoryBlock& destination)
{
    getStateInformation (destination);
}

void TavoAudioProcessor::setCurrentProgramStateInformation (const void* data, int sizeInBytes)
{
    setStateInformation (data, sizeInBytes);
}

void TavoAudioProcessor::setStateInformation (const void* data, int sizeInBytes)
{
    auto loaded = StateBlock::parse (data, sizeInBytes);

    // A block that cannot be used leaves the instance exactly as it was:
    // nothing the user made is replaced by defaults.
    if (! loaded)
        return;

    {
        const juce::ScopedLock lock (modelLock);
        model = std::move (*loaded);
        stateLoaded.exchange (1);
        publishRenderSettings();
    }

    // Every parameter goes once through the host-facing setter: values are
    // clamped and rounded as the host sees them, and the host and an open
    // editor are told.
    for (auto* parameter : getParameters())
        parameter->setValueNotifyingHost (parameter->getValue());

    if (isLogicHost())
    {
        hostLatencyRecord = TavoMaster::getInstance().sharedConfig().hostRecord();
        const juce::ScopedLock lock (modelLock);
        model.mutable_global_config()->set_lookahead_buffer_ms (lookaheadMillisecondsFor (hostLatencyRecord));
        publishRenderSettings();
    }

    stateKnown = true;

    if (isPrepared())
        updateLatency();
}
} // namespace Tavo
