#include "services/CheckUpdatesThread.h"

#include "host/PluginIdentity.h"

#include <juce_cryptography/juce_cryptography.h>

#include <cstring>

namespace Tavo
{
namespace
{
    constexpr const char* optOutMarkerName = "dont_check_updates";
    constexpr const char* checkedMarkerName = "checked_updates";
    constexpr const char* requestPath = "internal/check_update/";
    constexpr const char* positivePrefix = "UPDATE:";
    constexpr std::int64_t checkIntervalMs = 72LL * 60 * 60 * 1000;

    std::atomic<bool> checksEnabled { false };

    // Built when the library loads, before the master (built at the first
    // registration), so it is destroyed after it: a master thread still
    // running at unload waits for this one while the master goes away.
    CheckUpdatesThread processChecker;

    juce::String libraryDigest (const juce::File& file)
    {
        if (file.existsAsFile())
        {
            juce::FileInputStream stream (file);

            if (stream.openedOk())
                return juce::MD5 (stream).toHexString().toUpperCase();
        }

        // The request still goes out; the zeros tell the endpoint the file could not be read.
        return juce::String::repeatedString ("0", 32);
    }

    void renewMarker (const juce::File& marker, std::int64_t now)
    {
        // A marker that cannot be written does not stop the request; the
        // next process simply asks again.
        if (marker.create().wasOk())
            marker.setLastModificationTime (juce::Time (now));
    }

    // The answer's bytes, or nothing when the request failed.
    std::optional<juce::MemoryBlock> readAnswer (juce::WebInputStream& stream)
    {
        if (! stream.connect (nullptr))
            return {};

        // An error page is not the endpoint's answer, whatever it says.
        const auto status = stream.getStatusCode();

        if (status < 200 || status > 299)
            return {};

        juce::MemoryBlock answer;
        char buffer[1024];

        for (;;)
        {
            const auto numRead = stream.read (buffer, static_cast<int> (sizeof (buffer)));

            if (numRead <= 0)
                break;

            if (answer.getSize() + static_cast<size_t> (numRead)
                > static_cast<size_t> (CheckUpdatesThread::maxAnswerBytes))
                return {};

            answer.append (buffer, static_cast<size_t> (numRead));
        }

        // Cut off, timed out or abandoned part-way.
        if (stream.isError())
            return {};

        return answer;
    }

    // The link that a positive answer carries.
    std::optional<juce::String> linkPath (const juce::MemoryBlock& answer)
    {
        const auto* data = static_cast<const char*> (answer.getData());
        const auto size = answer.getSize();
        const auto prefixLength = std::strlen (positivePrefix);

        if (size < prefixLength || std::memcmp (data, positivePrefix, prefixLength) != 0)
            return {};

        // The link is shown and opened as text: bytes that are no UTF-8 text,
        // or a NUL that would silently cut it short, make it no link at all.
        if (std::memchr (data, 0, size) != nullptr
            || ! juce::CharPointer_UTF8::isValidString (data, static_cast<int> (size)))
            return {};

        return juce::String::fromUTF8 (data + prefixLength, static_cast<int> (size - prefixLength));
    }
} // namespace

//==============================================================================
UpdateCheckConfig UpdateCheckConfig::standard()
{
    UpdateCheckConfig config;
    config.siteRoot = PluginIdentity::siteRoot;
    config.endpointRoot = PluginIdentity::siteRoot; // the endpoint is part of the maker's site
    config.markerFolder = juce::File::getSpecialLocation (juce::File::userApplicationDataDirectory)
                              .getChildFile ("Application Support/Brellic");
    config.libraryFile = juce::File::getSpecialLocation (juce::File::currentExecutableFile);
    config.currentTime = [] { return juce::Time::currentTimeMillis(); };
    return config;
}

//==============================================================================
void CheckUpdatesThread::RequestCanceller::cancel()
{
    const juce::ScopedLock sl (lock);
    cancelled = true;

    if (request != nullptr)
        request->cancel();
}

bool CheckUpdatesThread::RequestCanceller::attach (juce::WebInputStream& stream)
{
    const juce::ScopedLock sl (lock);

    if (cancelled)
        return false;

    request = &stream;
    return true;
}

void CheckUpdatesThread::RequestCanceller::detach()
{
    const juce::ScopedLock sl (lock);
    request = nullptr;
}

//==============================================================================
CheckUpdatesThread::CheckUpdatesThread()
    : juce::Thread ("Tavo support thread")
{
}

CheckUpdatesThread::~CheckUpdatesThread()
{
    canceller.cancel();
    stopThread (-1);
}

CheckUpdatesThread& CheckUpdatesThread::getInstance()
{
    return processChecker;
}

void CheckUpdatesThread::setChecksEnabled (bool shouldCheck)
{
    checksEnabled.store (shouldCheck);
}

bool CheckUpdatesThread::areChecksEnabled()
{
    return checksEnabled.load();
}

void CheckUpdatesThread::startUpdateCheck()
{
    if (! areChecksEnabled())
        return;

    const juce::ScopedLock sl (startLock);

    if (started.load())
        return;

    started.store (true);
    startThread (juce::Thread::Priority::low);
}

void CheckUpdatesThread::waitForCheck()
{
    const auto timeoutMs = [this]
    {
        const juce::ScopedLock sl (startLock);
        return testConfig.has_value() ? testConfig->timeoutMs : UpdateCheckConfig::defaultTimeoutMs;
    }();

    if (waitForThreadToExit (timeoutMs))
        return;

    // The endpoint is too slow: drop its answer rather than keep the waiter,
    // and the host behind it, waiting.
    canceller.cancel();
    waitForThreadToExit (-1);
}

bool CheckUpdatesThread::isUpdateAvailable() const
{
    return updateAvailable.load (std::memory_order_acquire);
}

juce::String CheckUpdatesThread::getUpdateUrl() const
{
    return isUpdateAvailable() ? updateUrl : juce::String();
}

void CheckUpdatesThread::setConfigForTests (const UpdateCheckConfig& config)
{
    const juce::ScopedLock sl (startLock);
    jassert (! started.load());
    testConfig = config;
}

void CheckUpdatesThread::run()
{
    const auto config = [this]
    {
        const juce::ScopedLock sl (startLock);
        return testConfig.has_value() ? *testConfig : UpdateCheckConfig::standard();
    }();

    const auto result = runCheck (config, &canceller);

    if (result.updateAvailable)
    {
        updateUrl = result.updateUrl;
        updateAvailable.store (true, std::memory_order_release);
    }
}

//==============================================================================
UpdateCheckResult CheckUpdatesThread::runCheck (const UpdateCheckConfig& config)
{
    return runCheck (config, nullptr);
}

UpdateCheckResult CheckUpdatesThread::runCheck (const UpdateCheckConfig& config, RequestCanceller* requestCanceller)
{
    UpdateCheckResult result;

    if (config.markerFolder.getChildFile (optOutMarkerName).exists())
        return result;

    const auto now = config.currentTime != nullptr ? config.currentTime() : juce::Time::currentTimeMillis();
    const auto marker = config.markerFolder.getChildFile ("Tavo").getChildFile (checkedMarkerName);

    if (marker.exists() && marker.getLastModificationTime().toMilliseconds() + checkIntervalMs > now)
        return result;

    // Renewed before asking, so that a request that fails still counts as
    // the check of the next three days.
    renewMarker (marker, now);
    result.requested = true;

    juce::WebInputStream stream (juce::URL (config.endpointRoot + requestPath + libraryDigest (config.libraryFile)),
                                 false);
    stream.withConnectionTimeout (config.timeoutMs);

    if (requestCanceller != nullptr && ! requestCanceller->attach (stream))
        return result;

    const auto answer = readAnswer (stream);

    if (requestCanceller != nullptr)
        requestCanceller->detach();

    if (answer.has_value())
    {
        if (const auto path = linkPath (*answer))
        {
            result.updateAvailable = true;
            result.updateUrl = config.siteRoot + *path;
        }
    }

    return result;
}
} // namespace Tavo
