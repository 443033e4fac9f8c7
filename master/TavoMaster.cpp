#include "master/TavoMaster.h"

#include "master/GroupAnalysis.h"
#include "model/ModelRules.h"
#include "processor/TavoAudioProcessor.h"
#include "services/CheckUpdatesThread.h"
#include "services/GlobalSettings.h"

#include <juce_audio_basics/juce_audio_basics.h>

#include <algorithm>
#include <cmath>

namespace Tavo
{
namespace
{
    std::int64_t now() { return juce::Time::currentTimeMillis(); }

    // Groups outside the schema's range can only come from foreign state
    // before the load has clamped it; they take part in no group.
    constexpr int maxGroup = 64;
} // namespace

TavoMaster& TavoMaster::getInstance()
{
    static TavoMaster master;
    return master;
}

TavoMaster::TavoMaster()
    : juce::Thread ("Tavo master thread")
{
    registry.processors.reserve (256);
}

TavoMaster::~TavoMaster()
{
    // Processors unregister before the library unloads; a thread still
    // running here would outlive the registry it reads.
    stopThread (-1);
}

//==============================================================================
void TavoMaster::registerProcessor (TavoAudioProcessor& processor)
{
    const juce::ScopedWriteLock lifecycle (registry.lifecycleLock);

    {
        const juce::ScopedWriteLock registryWrite (registry.registryLock);
        registry.processors.push_back (&processor);
        processor.instanceNumber = registry.nextInstanceNumber++;
    }

    if (! registry.hostRecordLoaded.load())
    {
        const auto host = hostEnvironment();
        const auto record = loadHostLatencyRecord (*host, host->wrapperOf (processor.wrapperType),
                                                   [] { return GlobalSettings::readLogicLookahead(); });
        configuration.setHostRecord (record);

        if (! record.reportByDefault)
            configuration.setReportLatency (false);

        registry.hostRecordLoaded.store (true);
    }

    // Each start of the thread begins a new run of the schedule; it is set up
    // here, before the thread exists, so that no offline render can read the
    // previous run's analysis position in between.
    if (automaticThread.load() && ! isThreadRunning())
    {
        beginRun();
        startThread();
    }
}

void TavoMaster::unregisterProcessor (TavoAudioProcessor& processor)
{
    const juce::ScopedWriteLock lifecycle (registry.lifecycleLock);
    bool isEmpty = false;

    {
        const juce::ScopedWriteLock registryWrite (registry.registryLock);
        auto& list = registry.processors;
        list.erase (std::remove (list.begin(), list.end(), &processor), list.end());
        isEmpty = list.empty();
    }

    if (isEmpty)
        stopThread (-1);
}

void TavoMaster::startOverAsNewProcess()
{
    const juce::ScopedWriteLock lifecycle (registry.lifecycleLock);
    jassert (registry.processors.empty());

    registry.hostRecordLoaded.store (false);
    configuration.reset();
    globalParams.Clear();
    groupTable.assign (1, GroupParams());
}

void TavoMaster::setAutomaticThread (bool shouldRun)
{
    automaticThread.store (shouldRun);
}

//==============================================================================
AnalysisStatus TavoMaster::getStatus() const
{
    const auto t = now();

    if (t - lastOverloadTime.load() < 500)
        return STATUS_OVERLOADED;

    if (t - lagAlarmTime.load() < 100)
        return STATUS_LAGGING;

    return STATUS_NORMAL;
}

//==============================================================================
void TavoMaster::run()
{
    juce::FloatVectorOperations::disableDenormalisedNumberSupport (true);

    // Let a host that inserts many instances at once finish before the first pass.
    if (wait (200) && threadShouldExit())
        return;

    while (! threadShouldExit())
    {
        runOnePass();
        wait (1);
    }

    CheckUpdatesThread::getInstance().waitForCheck();
}

void TavoMaster::beginRun()
{
    updateCheckRequested = false;
    lastIdleTime.store (now());
    analysisPosition.store (0);
    groupTable.assign (1, GroupParams());
}

void TavoMaster::runOnePass()
{
    const auto before = analysisPosition.load();

    {
        const juce::ScopedReadLock registryRead (registry.registryLock);
        step();
    }

    const bool stalled = checkStall();
    const auto t = now();

    if (analysisPosition.load() == before)
        lastIdleTime.store (t);
    else if (t - lastIdleTime.load() >= 500 && ! stalled)
        lastOverloadTime.store (t);
}

int TavoMaster::runUntilCaughtUp()
{
    // A pass moves the window by one hop at most, or resynchronises it once;
    // the bound only guards against a schedule that never settles.
    constexpr int maxPasses = 1 << 20;
    int passes = 0;
    std::int32_t before;

    do
    {
        before = analysisPosition.load();
        runOnePass();
    } while (analysisPosition.load() != before && ++passes < maxPasses);

    return passes + 1;
}

bool TavoMaster::waitForAnalysisBefore (std::int32_t position, int patienceMs)
{
    auto last = analysisPosition.load();
    auto lastMove = juce::Time::getMillisecondCounter();

    // Positions compare as a difference, so the 32-bit timeline may wrap.
    while (static_cast<std::int32_t> (static_cast<std::uint32_t> (position) - static_cast<std::uint32_t> (last)) > 0)
    {
        if (! isThreadRunning() || juce::Time::getMillisecondCounter() - lastMove > juce::uint32 (patienceMs))
            return false;

        juce::Thread::sleep (1);
        const auto now = analysisPosition.load();

        if (now != last)
        {
            last = now;
            lastMove = juce::Time::getMillisecondCounter();
        }
    }

    return true;
}

void TavoMaster::step()
{
    const auto& processors = registry.processors;

    if (processors.empty())
        groupTable.resize (1);

    if (! updateCheckRequested && ! processors.empty())
    {
        CheckUpdatesThread::getInstance().startUpdateCheck();
        updateCheckRequested = true;
    }

    int openEditors = 0;

    for (auto* processor : processors)
    {
        exchangeParameters (*processor);

        if (processor->isEditorOpen())
            ++openEditors;
    }

    editorsOpen.store (openEditors);
    configuration.fillLookaheadFromRecord();

    hopSize = std::max (1, static_cast<int> (std::floor (static_cast<float> (0.05f * static_cast<float> (sampleRate)) + 0.5f)));

    resynchronise();

    if (! isReady())
        return;

    for (auto* processor : processors)
        checkLag (*processor);

    try
    {
        analyseWindow (*this);
    }
    catch (const std::bad_alloc&)
    {
        // Out of memory for this window's matrices: skip the window and keep
        // the schedule running; the tracks keep their angles.
    }

    lastAnalysisTime.store (now());
    analysisPosition.store (static_cast<std::int32_t> (static_cast<std::uint32_t> (analysisPosition.load())
                                                       + static_cast<std::uint32_t> (hopSize)));
}

//==============================================================================
void TavoMaster::growGroupTable (int group)
{
    while (static_cast<int> (groupTable.size()) <= group)
    {
        groupTable.emplace_back();
        groupTable.back().set_description ("Untitled");
    }
}

void TavoMaster::exchangeParameters (TavoAudioProcessor& processor)
{
    GlobalConfig local;
    bool changed = false;
    bool ownsGroup = false;

    {
        const juce::ScopedLock modelLock (processor.modelLock);
        auto& model = processor.modelForMaster();
        auto& active = activeSet (model);
        const bool loaded = processor.stateLoaded.load() != 0;
        changed = loaded || processor.paramsChanged.load() != 0;

        const auto group = active.group();

        if (group > 0 && group <= maxGroup)
        {
            growGroupTable (group);
            ownsGroup = loaded || (changed && group == processor.lastSeenSet.group());

            if (! changed)
                active.mutable_group_params()->MergeFrom (groupTable[static_cast<size_t> (group)]);
        }

        if (loaded)
            processor.stateLoaded.exchange (0);

        if (changed)
        {
            processor.paramsChanged.exchange (0);
            processor.lastSeenSet.Clear();
            processor.lastSeenSet.MergeFrom (active);
            processor.lastSeenSet.DiscardUnknownFields();
        }
        else
        {
            active.mutable_global_params()->MergeFrom (globalParams);
            model.mutable_global_config()->MergeFrom (configuration.config());
        }

        local.MergeFrom (model.global_config());
        processor.modelMergedByMaster();
    }

    const auto& seen = processor.lastSeenSet;

    if (ownsGroup && seen.group() > 0 && seen.group() <= maxGroup)
        groupTable[static_cast<size_t> (seen.group())].MergeFrom (seen.group_params());

    if (changed)
    {
        globalParams.MergeFrom (seen.global_params());
        configuration.mergeConfig (local);
    }

    keepLatencyCurrent (processor, local);
}

void TavoMaster::keepLatencyCurrent (TavoAudioProcessor& processor, const GlobalConfig& modelConfig)
{
    if (! processor.isPrepared())
        return;

    sampleRate = processor.getPreparedSampleRate();
    const auto lookahead = lookaheadSamplesAt (effectiveLookaheadMilliseconds (modelConfig), sampleRate);
    processor.requestReportedLatency (configuration.config().report_latency() ? lookahead : 0);
}

//==============================================================================
void TavoMaster::resynchronise()
{
    const auto lookahead = lookaheadSamplesAt (effectiveLookaheadMilliseconds (configuration.config()), sampleRate);
    const auto& processors = registry.processors;

    for (auto* processor : processors)
    {
        if (! processor->isPrepared())
            continue;

        const auto snapshot = processor->processedEnd.load();
        processor->processedEndSnapshot = snapshot;

        if (snapshot == -1 || snapshot == processor->processedEndAtResync.load())
            continue;

        const auto position = static_cast<std::int64_t> (analysisPosition.load());

        if (snapshot >= position + lookahead || snapshot < position)
        {
            analysisPosition.store (snapshot);
            lastResyncTime.store (now());

            for (auto* other : processors)
                other->processedEndAtResync.store (other->processedEndSnapshot);

            return;
        }
    }
}

bool TavoMaster::isReady() const
{
    const auto margin = static_cast<int> (std::floor (configuration.hostRecord().marginSeconds * sampleRate + 0.5));

    for (auto* processor : registry.processors)
    {
        if (! processor->isPrepared() || processor->processedEndSnapshot == processor->processedEndAtResync.load())
            continue;

        const auto delayedEnd = static_cast<std::int64_t> (processor->processedEndSnapshot)
                              - processor->getLookaheadSamples() + margin;

        if (delayedEnd >= analysisPosition.load())
            return true;
    }

    return false;
}

void TavoMaster::checkLag (TavoAudioProcessor& processor)
{
    if (! processor.isPrepared() || processor.processedEndSnapshot == processor.processedEndAtResync.load())
        return;

    const auto start = processor.streamStart.load();

    // Only a stream that has run without a break for over a second can lag.
    const auto position = analysisPosition.load();

    if (start == -1 || double (start) >= double (position) - sampleRate)
        return;

    const auto newest = processor.phaseResults.newest().position;

    if (static_cast<std::int64_t> (newest) <= static_cast<std::int64_t> (position) - 2 * hopSize)
        lagAlarmTime.store (now());
}

bool TavoMaster::checkStall()
{
    const auto t = now();
    const auto sinceResync = t - lastResyncTime.load();
    const auto sinceAnalysis = t - lastAnalysisTime.load();

    if (sinceResync > 500 && sinceAnalysis > 500)
        lastQuietTime.store (t);

    // Resynchronising again and again without analysing: the processors
    // report positions that disagree by more than the lookahead.
    const bool stalled = t - lastQuietTime.load() >= 1000 && sinceResync <= 500 && sinceAnalysis >= 1000
                         && sinceAnalysis >= sinceResync;

    if (stalled)
        lagAlarmTime.store (t);

    return stalled;
}
} // namespace Tavo
