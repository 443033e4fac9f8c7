#pragma once

#include "host/HostEnvironment.h"
#include "master/TavoMaster.h"

#include <juce_events/juce_events.h>

#include <functional>

namespace Tavo::Testing
{
/** A host of the test's choosing. */
struct FakeHostEnvironment final : HostEnvironment
{
    HostKind host = HostKind::other;
    PluginWrapper wrapper = PluginWrapper::other;
    std::vector<int> cards;
    bool acceleratedDsp = false;
    short engine = 0;

    HostKind detectHost() const override { return host; }
    std::vector<int> dspCardTypes() const override { return cards; }
    bool hasAcceleratedDsp() const override { return acceleratedDsp; }
    short engineVersion() const override { return engine; }
    PluginWrapper wrapperOf (juce::AudioProcessor::WrapperType) const override { return wrapper; }
};

/** Makes the process look like a fresh one in the given host: the next
    processor loads the host defaults again, and nothing an earlier test
    shared between instances remains. */
inline void enterHost (const FakeHostEnvironment& environment)
{
    setHostEnvironment (std::make_shared<FakeHostEnvironment> (environment));
    TavoMaster::getInstance().startOverAsNewProcess();
}

/** Turns the master's thread off so the test drives passes itself. */
inline TavoMaster& manualMaster()
{
    auto& master = TavoMaster::getInstance();
    master.setAutomaticThread (false);
    master.beginRun();
    return master;
}

/** Runs the message loop until the condition holds or the time is up. */
inline bool dispatchUntil (const std::function<bool()>& condition, int timeoutMs = 2000)
{
    const auto end = juce::Time::getMillisecondCounter() + static_cast<juce::uint32> (timeoutMs);

    while (! condition())
    {
        if (juce::Time::getMillisecondCounter() > end)
            return false;

        juce::MessageManager::getInstance()->runDispatchLoopUntil (5);
    }

    return true;
}
} // namespace Tavo::Testing
