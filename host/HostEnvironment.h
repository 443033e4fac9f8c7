#pragma once

#include <juce_audio_processors/juce_audio_processors.h>

#include <memory>
#include <vector>

namespace Tavo
{
/** The hosts whose defaults differ. */
enum class HostKind
{
    logic,
    proTools,
    other
};

/** The plug-in format of an instance, as far as host defaults care. */
enum class PluginWrapper
{
    vst,
    rtas,
    aax,
    other
};

/** What the system asks about the host it runs in: the host's identity and,
    for the old Pro Tools engine, its hardware and engine version. The product
    answers from the framework's host detection; tests stand in for any host.
    Called on the thread that constructs the first processor. */
class HostEnvironment
{
public:
    virtual ~HostEnvironment() = default;

    virtual HostKind detectHost() const = 0;

    /** The card types the old engine's hardware library lists. */
    virtual std::vector<int> dspCardTypes() const = 0;

    /** Whether the old engine reports an accelerated DSP. */
    virtual bool hasAcceleratedDsp() const = 0;

    /** The old engine's version value, compared as a signed 16-bit number. */
    virtual short engineVersion() const = 0;

    /** The format of an instance that the framework created as `type`. */
    virtual PluginWrapper wrapperOf (juce::AudioProcessor::WrapperType type) const;
};

/** The environment in force for this process. */
std::shared_ptr<const HostEnvironment> hostEnvironment();

/** Replaces the environment for the rest of the process (tests and tools).
    Call it before the first processor is created. */
void setHostEnvironment (std::shared_ptr<const HostEnvironment> environment);

/** Detection backed by the framework: Logic and Pro Tools by the host
    executable; the old engine's libraries do not exist on this platform. */
class FrameworkHostEnvironment final : public HostEnvironment
{
public:
    HostKind detectHost() const override;
    std::vector<int> dspCardTypes() const override { return {}; }
    bool hasAcceleratedDsp() const override { return false; }
    short engineVersion() const override { return 0; }
};
} // namespace Tavo
