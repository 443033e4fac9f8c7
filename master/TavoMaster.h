#pragma once

#include "Tavo.pb.h"
#include "master/AnalysisStatus.h"
#include "master/BandAnalysis.h"
#include "master/ProcessorRegistry.h"
#include "master/SharedConfig.h"

#include <juce_core/juce_core.h>

#include <atomic>
#include <cstdint>
#include <vector>

namespace Tavo
{
class TavoAudioProcessor;

/** The one analysis engine of the process. Every processor registers with it;
    its thread, "Tavo master thread", runs while at least one is registered.
    About once per millisecond a pass exchanges the shared parameters with
    every processor, keeps their reported latencies current, follows their
    capture positions and, when the captured audio is far enough ahead of the
    delayed output, analyses the next 50 ms window. */
class TavoMaster final : private juce::Thread
{
public:
    static TavoMaster& getInstance();

    //==============================================================================
    // Registry (the threads that construct and destroy processors)

    /** Adds a processor and gives it its instance number; the first one in the
        process fills the host defaults. Starts the thread. */
    void registerProcessor (TavoAudioProcessor& processor);

    /** Removes a processor; the last one stops the thread and waits for it. */
    void unregisterProcessor (TavoAudioProcessor& processor);

    //==============================================================================
    // Any thread

    AnalysisStatus getStatus() const;
    SharedConfig& sharedConfig() { return configuration; }
    int getEditorsOpen() const { return editorsOpen.load (std::memory_order_relaxed); }
    using juce::Thread::isThreadRunning;

    //==============================================================================
    // The schedule. The thread calls these; tests and offline hosts that turn
    // the automatic thread off call them themselves, never both at once.

    /** Whether registration starts the thread. Turn it off before the first
        processor registers to drive passes by hand. */
    void setAutomaticThread (bool shouldRun);

    /** Starts a run of the schedule: analysis position 0, one group entry. */
    void beginRun();

    /** One pass over the registry. */
    void runOnePass();

    /** Runs passes until one moves the analysis no further: every window that
        the captured audio allows is analysed. For hosts that render offline
        and drive the schedule themselves. Returns the number of passes. */
    int runUntilCaughtUp();

    /** For a track that renders offline: waits until the schedule has analysed
        every window before `position`, or has stopped moving for `patienceMs`,
        or its thread is not running. Returns whether it got there. Never call
        it on a real-time audio thread. */
    bool waitForAnalysisBefore (std::int32_t position, int patienceMs);

    //==============================================================================
    // What the analysis reads (master thread, registry held for reading)

    const std::vector<TavoAudioProcessor*>& registeredProcessors() const { return registry.processors; }
    std::int32_t getAnalysisPosition() const { return analysisPosition.load (std::memory_order_acquire); }
    std::int32_t getHopSize() const { return hopSize; }
    double getSampleRate() const { return sampleRate; }
    const std::vector<GroupParams>& getGroupTable() const { return groupTable; }
    const GlobalParams& getGlobalParams() const { return globalParams; }
    BandBuffers& getBandBuffers() { return bandBuffers; }

    /** Returns the process-wide values to those of a new process: the host
        defaults (the next registration loads them again), the shared
        configuration and switches, the group table. For tests that play
        several hosts or sessions in one process; call it while no processor
        is registered. */
    void startOverAsNewProcess();

private:
    TavoMaster();
    ~TavoMaster() override;

    void run() override;
    void step();
    void exchangeParameters (TavoAudioProcessor& processor);
    void keepLatencyCurrent (TavoAudioProcessor& processor, const GlobalConfig& modelConfig);
    void resynchronise();
    bool isReady() const;
    void checkLag (TavoAudioProcessor& processor);
    bool checkStall();
    void growGroupTable (int group);

    ProcessorRegistry registry;
    SharedConfig configuration;
    std::atomic<bool> automaticThread { true };

    // Master thread only
    GlobalParams globalParams;
    double sampleRate = 0.0;
    std::atomic<std::int32_t> analysisPosition { 0 }; // written by the schedule, read by offline renders
    std::int32_t hopSize = 1;
    std::vector<GroupParams> groupTable;
    BandBuffers bandBuffers;
    bool updateCheckRequested = false;

    // Written by the master thread, read by getStatus on any thread
    std::atomic<int> editorsOpen { 0 };
    std::atomic<std::int64_t> lagAlarmTime { 0 };
    std::atomic<std::int64_t> lastIdleTime { 0 };
    std::atomic<std::int64_t> lastOverloadTime { 0 };
    std::atomic<std::int64_t> lastResyncTime { 0 };
    std::atomic<std::int64_t> lastAnalysisTime { 0 };
    std::atomic<std::int64_t> lastQuietTime { 0 };

    JUCE_DECLARE_NON_COPYABLE (TavoMaster)
};
} // namespace Tavo
