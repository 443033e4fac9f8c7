#pragma once

#include "Tavo.pb.h"
#include "host/HostEnvironment.h"
#include "master/AnalysisDisplay.h"
#include "master/HostLatencyRecord.h"
#include "master/PhaseResultRing.h"
#include "master/TripleBuffer.h"
#include "model/ParamTable.h"
#include "processor/CaptureRing.h"
#include "processor/ParameterDescriptionLayer.h"
#include "processor/RenderSettings.h"
#include "processor/TrackRenderer.h"

#include <array>
#include <atomic>
#include <cstdint>

namespace Tavo
{
class TavoMaster;

/** One instance of the plug-in: one track. Owns the instance's model and the
    host parameters on it, publishes its audio for the process-wide master and
    renders the correction the master sends back.

    Threads: the message thread constructs, prepares, destroys, saves and
    loads; the host's audio thread calls processBlock; parameter calls may
    come from either; the master thread reads the members marked for it while
    it holds the registry. */
class TavoAudioProcessor : public ParameterDescriptionLayer,
                           private juce::AsyncUpdater
{
public:
    TavoAudioProcessor();
    ~TavoAudioProcessor() override;

    //==============================================================================
    // Parameter-description layer
    ParameterInfo getParameterInfo (int index) const override;
    float getParameterValue (int index) override;
    void setParameterValue (int index, float value) override;

    const ParamTable& getParamTable() const { return paramTable; }

    //==============================================================================
    // Framework operations
    const juce::String getName() const override;
    void prepareToPlay (double sampleRate, int maximumExpectedSamplesPerBlock) override;
    void releaseResources() override {}
    bool isBusesLayoutSupported (const BusesLayout& layouts) const override;
    void processBlock (juce::AudioBuffer<float>& buffer, juce::MidiBuffer& midi) override;
    void processBlockBypassed (juce::AudioBuffer<float>& buffer, juce::MidiBuffer& midi) override;
    void reset() override;

    const juce::String getInputChannelName (int channelIndex) const override;
    const juce::String getOutputChannelName (int channelIndex) const override;
    bool isInputChannelStereoPair (int) const override { return true; }
    bool isOutputChannelStereoPair (int) const override { return true; }
    bool silenceInProducesSilenceOut() const override { return false; }
    double getTailLengthSeconds() const override;
    bool acceptsMidi() const override { return false; }
    bool producesMidi() const override { return false; }

    juce::AudioProcessorEditor* createEditor() override;
    bool hasEditor() const override { return true; }

    int getNumPrograms() override { return 0; }
    int getCurrentProgram() override { return 0; }
    void setCurrentProgram (int) override {}
    const juce::String getProgramName (int) override { return {}; }
    void changeProgramName (int, const juce::String&) override {}

    void getStateInformation (juce::MemoryBlock& destination) override;
    void setStateInformation (const void* data, int sizeInBytes) override;
    void getCurrentProgramStateInformation (juce::MemoryBlock& destination) override;
    void setCurrentProgramStateInformation (const void* data, int sizeInBytes) override;

    void numChannelsChanged() override {}

    //==============================================================================
    /** Replaces the model by the default model. Message thread, model lock held. */
    void initialiseModel();

    /** A copy of the model taken under its lock. Any thread but the audio thread. */
    Model copyModel() const;

    /** Edits the model under its lock and marks the active set as changed, as
        the editor does for the group description and the view switches. */
    template <typename Edit>
    void editModel (Edit&& edit)
    {
        const juce::ScopedLock lock (modelLock);
        edit (model);
        paramsChanged.exchange (1);
        publishRenderSettings();
    }

    int getInstanceNumber() const { return instanceNumber; }
    float getStaggerFraction() const { return staggerFraction; }

    /** Replaces the random offset of the reverse filter's blocks, for offline
        hosts whose output must be the same on every run. Takes effect at the
        next prepareToPlay. Message thread. */
    void setStaggerFraction (float fraction) { staggerFraction = juce::jlimit (0.0f, 0.99999994f, fraction); }
    bool isPrepared() const { return prepared.load (std::memory_order_acquire); }
    double getPreparedSampleRate() const { return preparedSampleRate.load (std::memory_order_acquire); }
    int getLookaheadSamples() const { return lookaheadSamples.load (std::memory_order_relaxed); }

    /** The lookahead in samples that the model asks for at the prepared rate. */
    int lookaheadSamplesFor (double sampleRate) const;

    /** The latency that the processor asks its host to report. */
    int getRequestedLatency() const { return latencyRequest.load (std::memory_order_acquire); }

    /** Whether the editor shows the frequency view, and compares by group. Any thread. */
    bool showsFrequencyView() const { return renderSettings.frequencyView.load (std::memory_order_relaxed); }
    bool showsGroupView() const { return renderSettings.groupView.load (std::memory_order_relaxed); }

    /** Set while an editor of this processor exists. Message thread. */
    void setEditorOpen (bool isOpen) { editorOpen.store (isOpen, std::memory_order_release); }
    bool isEditorOpen() const { return editorOpen.load (std::memory_order_acquire); }

    //==============================================================================
    // Shared with the master thread (read while it holds the registry)
    juce::CriticalSection modelLock; // guards model, lastSeenSet and the change flags
    ParamSet lastSeenSet;            // the active set as the master last synchronised it; master only
    std::atomic<int> paramsChanged { 0 };
    std::atomic<int> stateLoaded { 0 };

    std::atomic<std::int32_t> processedEnd { -1 }; // timeline position after the last captured sample
    std::atomic<std::int32_t> streamStart { -1 };  // where the current uninterrupted stretch began
    std::atomic<std::int32_t> processedEndAtResync { -1 };
    std::int32_t processedEndSnapshot = -1; // master only

    std::array<CaptureRing, 4> captureRings; // rings 2c and 2c+1 hold channel c's analytic pair
    PhaseResultRing phaseResults;
    AnalysisDisplay display;                        // the master's working copy; master thread only
    TripleBuffer<AnalysisDisplay> displayForEditor; // what the editor's graph reads, whole and consistent

    /** The number of input channels at the last prepare (1 or 2). */
    int getNumCaptureChannels() const { return captureChannels.load (std::memory_order_acquire); }

    /** Master thread: asks the host to report this latency. The change reaches
        the host from the message thread, where latency changes are safe. */
    void requestReportedLatency (int samples);

    /** Master thread (inside exchangeParameters, model lock held): the model
        changed by a merge, so the audio thread's snapshot must follow. */
    void modelMergedByMaster() { publishRenderSettings(); }

    Model& modelForMaster() { return model; }

    /** The audio path, for tests that look inside it. */
    const TrackRenderer& getRenderer() const { return renderer; }

private:
    void handleAsyncUpdate() override;
    void render (juce::AudioBuffer<float>& buffer, bool bypassed);
    void updateLatency();
    void publishRenderSettings();
    bool isLogicHost() const { return hostKind == HostKind::logic; }
    std::int32_t timelinePositionOfBlock();
    void waitForCorrectionsOf (int numSamples, int lookahead);

    ParamDesc paramDesc;
    ParamTable paramTable { paramDesc };

    Model model;                      // the instance's whole state; guarded by modelLock
    RenderSettings renderSettings;    // what the audio thread reads of the model
    HostKind hostKind = HostKind::other;
    HostLatencyRecord hostLatencyRecord;
    int instanceNumber = -1;
    float staggerFraction = 0.0f;

    bool stateKnown = false; // message thread
    std::atomic<bool> prepared { false };
    std::atomic<double> preparedSampleRate { 0.0 };
    std::atomic<int> captureChannels { 0 };
    std::atomic<int> lookaheadSamples { 0 };
    std::atomic<int> latencyRequest { 0 };
    std::atomic<bool> editorOpen { false };

    std::int32_t blockStart = 0; // audio thread
    TrackRenderer renderer { captureRings, phaseResults };

    friend class TavoMaster; // assigns the instance number at registration

    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR (TavoAudioProcessor)
};
} // namespace Tavo
