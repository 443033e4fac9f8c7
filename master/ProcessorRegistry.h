#pragma once

#include <juce_core/juce_core.h>

#include <atomic>
#include <vector>

namespace Tavo
{
class TavoAudioProcessor;

/** The live processors of the process, in registration order.
    Lock order: lifecycleLock, then registryLock, then one processor's model
    lock. The master thread holds registryLock for reading for a whole pass,
    so a processor is never destroyed while a pass uses it. */
struct ProcessorRegistry
{
    juce::ReadWriteLock lifecycleLock; // serialises registration and the master thread's start and stop
    juce::ReadWriteLock registryLock;  // guards processors
    std::vector<TavoAudioProcessor*> processors;
    int nextInstanceNumber = 0; // guarded by lifecycleLock; numbers are never reused
    std::atomic<bool> hostRecordLoaded { false };
};
} // namespace Tavo
