#include "host/HostEnvironment.h"

#include <juce_audio_processors/juce_audio_processors.h>

#include <atomic>

namespace Tavo
{
namespace
{
    std::shared_ptr<const HostEnvironment>& environmentSlot()
    {
        static std::shared_ptr<const HostEnvironment> slot = std::make_shared<FrameworkHostEnvironment>();
        return slot;
    }
} // namespace

std::shared_ptr<const HostEnvironment> hostEnvironment()
{
    return std::atomic_load (&environmentSlot());
}

void setHostEnvironment (std::shared_ptr<const HostEnvironment> environment)
{
    jassert (environment != nullptr);
    std::atomic_store (&environmentSlot(), std::move (environment));
}

PluginWrapper HostEnvironment::wrapperOf (juce::AudioProcessor::WrapperType type) const
{
    switch (type)
    {
        case juce::AudioProcessor::wrapperType_VST: return PluginWrapper::vst;
        case juce::AudioProcessor::wrapperType_AAX: return PluginWrapper::aax;
        default:                                    return PluginWrapper::other;
    }
}

HostKind FrameworkHostEnvironment::detectHost() const
{
    const juce::PluginHostType host;

    if (host.isLogic())
        return HostKind::logic;

    if (host.isProTools())
        return HostKind::proTools;

    return HostKind::other;
}
} // namespace Tavo
