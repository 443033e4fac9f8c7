#pragma once

#include <juce_core/juce_core.h>

#include <atomic>
#include <cstdint>
#include <functional>
#include <optional>

namespace Tavo
{
/** Everything the update check depends on. The product uses standard(); tests
    point the endpoint at a server of their own on 127.0.0.1 and the marker
    folder, the digested file and the clock at things they control. */
struct UpdateCheckConfig
{
    /** The request's time-out. The URL reader gives up on a connection that
        takes longer than this (rounded up to whole seconds) to establish, or
        that then carries less than 100 bytes a second for as long; and a
        thread waiting for the check abandons a request still running after
        this long. The master's wait when it stops thus stays within the
        time-out, plus the moment a dropped connection needs to unwind (under
        a second). */
    static constexpr int defaultTimeoutMs = 10000;

    /** The maker's site, ending in a slash: a positive answer's link is this
        followed by the rest of the answer. */
    juce::String siteRoot;

    /** The update endpoint's root, ending in a slash: the request goes to this
        followed by "internal/check_update/" and the 32 digits of the digest. */
    juce::String endpointRoot;

    /** Holds "dont_check_updates"; "checked_updates" lives in its "Tavo" folder. */
    juce::File markerFolder;

    /** The file whose MD5 the request carries. */
    juce::File libraryFile;

    /** Milliseconds since 1970. */
    std::function<std::int64_t()> currentTime;

    int timeoutMs = defaultTimeoutMs;

    /** The product's configuration: the maker's site, the user's
        application-data folder and the library's own file (the plug-in's
        shared object inside a host, the executable otherwise). Resolved when
        called, so it follows the user's folder as it is at that time. */
    static UpdateCheckConfig standard();
};

/** What one check did and found. */
struct UpdateCheckResult
{
    bool requested = false; // the markers let a request through and one was attempted
    bool updateAvailable = false;
    juce::String updateUrl;
};

/** The update check: once per process, and at most once in 72 hours per user,
    asks the maker's endpoint whether a newer version exists. The request runs
    on this thread, "Tavo support thread", so that neither the host, the audio
    nor the analysis ever waits for the network.

    Markers, under the configuration's marker folder: "dont_check_updates"
    switches the check off for good (the system never creates it);
    "Tavo/checked_updates" carries the time of the last check as its
    modification time, renewed before the request whatever its outcome.

    The answer counts as positive only when the request succeeded with a 2xx
    status, the answer is valid UTF-8 of at most maxAnswerBytes and begins with
    "UPDATE:" exactly; the rest of it, unchanged, follows the site root in the
    link. An error status, an answer cut off or too long, or a request
    abandoned means no update. */
class CheckUpdatesThread final : private juce::Thread
{
public:
    /** Longer answers are not the endpoint's: they are dropped, not cut, as a
        truncated link would lead nowhere. Reading stops there, so a runaway
        answer neither fills memory nor holds the thread. */
    static constexpr int maxAnswerBytes = 8192;

    /** A checker that has not run. The process has one, getInstance(); tests
        may make their own. */
    CheckUpdatesThread();

    /** Abandons a request under way, so that unloading the library never
        waits for the network. */
    ~CheckUpdatesThread() override;

    /** The process-wide checker that the master starts. */
    static CheckUpdatesThread& getInstance();

    //==============================================================================
    /** The process-wide switch, off by default: only the plug-in entry point
        turns it on, so the tools, benchmarks and tests that link the same
        engine never ask the network unless a test switches it on. */
    static void setChecksEnabled (bool shouldCheck);
    static bool areChecksEnabled();

    /** Starts the check on the support thread unless checks are switched off
        or this checker has started one before: at most one check per process
        however often the master restarts. Any thread; returns at once. */
    void startUpdateCheck();

    /** Waits for a check under way to end. A request still running after the
        time-out is abandoned, so this never waits much longer than that. */
    void waitForCheck();

    using juce::Thread::isThreadRunning;

    //==============================================================================
    /** Set once by a positive answer and never cleared. Any thread. */
    bool isUpdateAvailable() const;

    /** The link of the newer version; empty until isUpdateAvailable(). */
    juce::String getUpdateUrl() const;

    //==============================================================================
    /** For tests: the configuration the check uses instead of the product's.
        Call it before the check starts. */
    void setConfigForTests (const UpdateCheckConfig& config);

    /** One check with the given configuration, synchronously on the calling
        thread; it publishes nothing. For the support thread and for tests. */
    static UpdateCheckResult runCheck (const UpdateCheckConfig& config);

private:
    /** Lets one thread abandon another's request, also one not yet made. */
    class RequestCanceller
    {
    public:
        void cancel();
        bool attach (juce::WebInputStream& stream); // false once cancelled
        void detach();

    private:
        juce::CriticalSection lock;
        juce::WebInputStream* request = nullptr;
        bool cancelled = false;
    };

    void run() override;
    static UpdateCheckResult runCheck (const UpdateCheckConfig& config, RequestCanceller* canceller);

    juce::CriticalSection startLock;
    std::atomic<bool> started { false };
    std::optional<UpdateCheckConfig> testConfig; // under startLock
    RequestCanceller canceller;

    // Written once by the support thread: the link first, then the flag with
    // release, so that a reader that sees the flag with acquire sees the link.
    juce::String updateUrl;
    std::atomic<bool> updateAvailable { false };

    JUCE_DECLARE_NON_COPYABLE (CheckUpdatesThread)
};
} // namespace Tavo
