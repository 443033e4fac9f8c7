#include "processor/TavoAudioProcessor.h"
#include "services/CheckUpdatesThread.h"
#include "support/FakeHost.h"
#include "support/LocalHttpServer.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <functional>
#include <optional>
#include <string>

namespace Tavo
{
namespace
{
    using Testing::LocalHttpServer;

    constexpr std::int64_t hourMs = 60LL * 60 * 1000;

    // Whole seconds: the file system keeps modification times to the second.
    constexpr std::int64_t checkTime = 1700000000000LL;

    const juce::String siteRoot = "https://www.brellic.example/";

    // The library file the tests write, and the request it makes: the MD5 of
    // this sentence is a widely quoted test value.
    const char* libraryContent = "The quick brown fox jumps over the lazy dog";
    const juce::String knownRequestLine = "GET /internal/check_update/9E107D9D372BB6826BD81D3542A419D6 HTTP/1.1";

    LocalHttpServer::Reply answer (std::string body, int status = 200)
    {
        LocalHttpServer::Reply reply;
        reply.status = status;
        reply.body = std::move (body);
        return reply;
    }

    LocalHttpServer::Reply endless()
    {
        auto reply = answer ("UPDATE:");
        reply.trickle = true;
        return reply;
    }

    struct UpdateCheck : ::testing::Test
    {
        UpdateCheck()
        {
            // The requests go to 127.0.0.1 directly, never through a proxy.
            setenv ("no_proxy", "127.0.0.1", 1);
            folder.createDirectory();
            library.replaceWithData (libraryContent, std::strlen (libraryContent));
        }

        ~UpdateCheck() override
        {
            CheckUpdatesThread::setChecksEnabled (false);
            folder.deleteRecursively();
        }

        UpdateCheckConfig config (const juce::String& endpointRoot) const
        {
            UpdateCheckConfig result;
            result.siteRoot = siteRoot;
            result.endpointRoot = endpointRoot;
            result.markerFolder = markerFolder;
            result.libraryFile = library;
            result.currentTime = [] { return checkTime; };
            return result;
        }

        void setMarkerTime (std::int64_t time) const
        {
            ASSERT_TRUE (checkedMarker.create().wasOk());
            ASSERT_TRUE (checkedMarker.setLastModificationTime (juce::Time (time)));
            ASSERT_EQ (checkedMarker.getLastModificationTime().toMilliseconds(), time);
        }

        const juce::File folder = juce::File::getSpecialLocation (juce::File::tempDirectory)
                                      .getNonexistentChildFile ("tavo-update-check", "");
        const juce::File library = folder.getChildFile ("library.so");
        const juce::File markerFolder = folder.getChildFile ("Application Support/Brellic");
        const juce::File checkedMarker = markerFolder.getChildFile ("Tavo/checked_updates");
    };

    //==============================================================================
    enum class Markers
    {
        none,
        checksSwitchedOff, // "dont_check_updates", beside a marker 100 hours old
        checked71HoursAgo,
        checkedASecondShortOf72HoursAgo,
        checked72HoursAgo,
        markerFolderUnwritable
    };

    struct Case
    {
        const char* name;
        Markers markers;
        std::optional<LocalHttpServer::Reply> reply; // none: nothing listens

        bool requests;                               // the markers let a request through
        std::optional<std::int64_t> markerTimeAfter; // none: no marker file
        std::optional<std::string> linkPath;         // none: no update
    };

    void PrintTo (const Case& c, std::ostream* os) { *os << c.name; }

    const std::string positive = "UPDATE:downloads/tavo-1.1.html";

    // A row over the markers, answered positively when asked.
    Case byMarkers (const char* name, Markers markers, bool requests, std::optional<std::int64_t> markerTimeAfter)
    {
        std::optional<std::string> link;

        if (requests)
            link = "downloads/tavo-1.1.html";

        return { name, markers, answer (positive), requests, markerTimeAfter, link };
    }

    // A row over the answers, asked for the first time.
    Case byAnswer (const char* name, std::optional<LocalHttpServer::Reply> reply, std::optional<std::string> link)
    {
        return { name, Markers::none, std::move (reply), true, checkTime, std::move (link) };
    }

    std::vector<Case> cases()
    {
        const std::string longestPath (size_t (CheckUpdatesThread::maxAnswerBytes) - 7, 'a');
        auto cutOff = answer (positive);
        cutOff.declaredLength = 200;

        return {
            byMarkers ("NoMarkers", Markers::none, true, checkTime),
            byMarkers ("SwitchedOff", Markers::checksSwitchedOff, false, checkTime - 100 * hourMs),
            byMarkers ("Checked71HoursAgo", Markers::checked71HoursAgo, false, checkTime - 71 * hourMs),
            byMarkers ("CheckedASecondShortOf72HoursAgo", Markers::checkedASecondShortOf72HoursAgo, false,
                       checkTime - 72 * hourMs + 1000),
            byMarkers ("Checked72HoursAgo", Markers::checked72HoursAgo, true, checkTime),
            byMarkers ("MarkerFolderUnwritable", Markers::markerFolderUnwritable, true, std::nullopt),

            byAnswer ("LinkKeptAsReceived", answer ("UPDATE: Tavo%20Setup/?v=1.1 \r\n"), " Tavo%20Setup/?v=1.1 \r\n"),
            byAnswer ("PrefixAlone", answer ("UPDATE:"), ""),
            byAnswer ("LongestAnswer", answer ("UPDATE:" + longestPath), longestPath),
            byAnswer ("LowerCasePrefix", answer ("update:downloads/tavo-1.1.html"), {}),
            byAnswer ("BlankBeforePrefix", answer (" " + positive), {}),
            byAnswer ("EmptyAnswer", answer (""), {}),
            byAnswer ("ServerDown", std::nullopt, {}),
            byAnswer ("ErrorStatus", answer ("UPDATE:x", 500), {}),
            byAnswer ("VeryLongAnswer", answer ("UPDATE:" + std::string (1 << 20, 'a')), {}),
            byAnswer ("AnswerCutOff", cutOff, {}),
            byAnswer ("AnswerNotText", answer ("UPDATE:downloads/\xff\xfe"), {}),
            byAnswer ("NulInAnswer", answer (std::string ("UPDATE:downloads\0/x", 19)), {}),
        };
    }

    struct UpdateCheckCase : UpdateCheck, ::testing::WithParamInterface<Case>
    {
        void prepare (Markers markers) const
        {
            switch (markers)
            {
                case Markers::none:
                    break;
                case Markers::checksSwitchedOff:
                    setMarkerTime (checkTime - 100 * hourMs);
                    markerFolder.getChildFile ("dont_check_updates").create();
                    break;
                case Markers::checked71HoursAgo:
                    setMarkerTime (checkTime - 71 * hourMs);
                    break;
                case Markers::checkedASecondShortOf72HoursAgo:
                    setMarkerTime (checkTime - 72 * hourMs + 1000);
                    break;
                case Markers::checked72HoursAgo:
                    setMarkerTime (checkTime - 72 * hourMs);
                    break;
                case Markers::markerFolderUnwritable:
                    // A file where the folder should be: not even root can put the marker there.
                    markerFolder.createDirectory();
                    markerFolder.getChildFile ("Tavo").replaceWithText ("in the way");
                    break;
            }
        }
    };
} // namespace

TEST_P (UpdateCheckCase, RequestMarkerAndLink)
{
    const auto& c = GetParam();
    prepare (c.markers);

    std::optional<LocalHttpServer> server;
    const auto endpoint = c.reply.has_value() ? server.emplace (*c.reply).root() : LocalHttpServer::refusingRoot();

    const auto result = CheckUpdatesThread::runCheck (config (endpoint));

    EXPECT_EQ (result.requested, c.requests);

    if (server.has_value())
    {
        const auto lines = server->requestLines();
        ASSERT_EQ (lines.size(), c.requests ? 1u : 0u);

        if (c.requests)
            EXPECT_EQ (lines[0], knownRequestLine);
    }

    if (c.markerTimeAfter.has_value())
        EXPECT_EQ (checkedMarker.getLastModificationTime().toMilliseconds(), *c.markerTimeAfter);
    else
        EXPECT_FALSE (checkedMarker.exists());

    EXPECT_EQ (result.updateAvailable, c.linkPath.has_value());

    if (c.linkPath.has_value())
        EXPECT_EQ (result.updateUrl, siteRoot + juce::String::fromUTF8 (c.linkPath->data(), int (c.linkPath->size())));
    else
        EXPECT_EQ (result.updateUrl, juce::String());
}

INSTANTIATE_TEST_SUITE_P (UpdateCheck, UpdateCheckCase, ::testing::ValuesIn (cases()),
                          [] (const auto& info) { return std::string (info.param.name); });

TEST_F (UpdateCheck, TheRequestCarriesTheDigestOfTheLibraryFile)
{
    LocalHttpServer server (answer (""));

    const struct
    {
        const char* what;
        std::function<void (const juce::File&)> make;
        const char* digest;
    } files[] = {
        { "empty", [] (const juce::File& f) { f.create(); }, "D41D8CD98F00B204E9800998ECF8427E" },
        { "missing", [] (const juce::File&) {}, "00000000000000000000000000000000" },
        { "a folder", [] (const juce::File& f) { f.createDirectory(); }, "00000000000000000000000000000000" },
    };

    size_t requests = 0;

    for (const auto& file : files)
    {
        SCOPED_TRACE (file.what);
        checkedMarker.deleteFile();
        auto settings = config (server.root());
        settings.libraryFile = folder.getNonexistentChildFile ("other", ".so");
        file.make (settings.libraryFile);

        CheckUpdatesThread::runCheck (settings);
        const auto lines = server.requestLines();
        ASSERT_EQ (lines.size(), ++requests);
        EXPECT_EQ (lines.back(), "GET /internal/check_update/" + juce::String (file.digest) + " HTTP/1.1");
    }
}

TEST_F (UpdateCheck, StartsOnlyWhenSwitchedOnAndOnlyOnce)
{
    LocalHttpServer server (answer (positive));
    CheckUpdatesThread checker;
    checker.setConfigForTests (config (server.root()));

    // Tools and tests link the engine without asking the network.
    EXPECT_FALSE (CheckUpdatesThread::areChecksEnabled());
    checker.startUpdateCheck();
    checker.waitForCheck();
    EXPECT_TRUE (server.requestLines().empty());

    CheckUpdatesThread::setChecksEnabled (true);

    for (int start = 0; start < 3; ++start)
    {
        checkedMarker.deleteFile(); // so that only the started flag can hold a second check back
        checker.startUpdateCheck();
        checker.waitForCheck();
    }

    EXPECT_EQ (server.requestLines(), std::vector<juce::String> { knownRequestLine });
    EXPECT_TRUE (checker.isUpdateAvailable());
    EXPECT_EQ (checker.getUpdateUrl(), siteRoot + "downloads/tavo-1.1.html");
}

TEST_F (UpdateCheck, AnEndlessAnswerHoldsUpNeitherTheWaiterNorTheUnload)
{
    LocalHttpServer server (endless());
    CheckUpdatesThread::setChecksEnabled (true);

    const auto elapsedMs = [] (double since) { return juce::Time::getMillisecondCounterHiRes() - since; };

    {
        auto settings = config (server.root());
        settings.timeoutMs = 300;
        CheckUpdatesThread checker;
        checker.setConfigForTests (settings);
        checker.startUpdateCheck();
        ASSERT_TRUE (server.waitForRequests (1));

        const auto start = juce::Time::getMillisecondCounterHiRes();
        checker.waitForCheck();
        EXPECT_LT (elapsedMs (start), 300 + 2000); // the time-out, and a moment to drop the connection
        EXPECT_FALSE (checker.isThreadRunning());
        EXPECT_FALSE (checker.isUpdateAvailable());
    }

    {
        checkedMarker.deleteFile();
        auto settings = config (server.root());
        settings.timeoutMs = 60000;
        auto checker = std::make_unique<CheckUpdatesThread>();
        checker->setConfigForTests (settings);
        checker->startUpdateCheck();
        ASSERT_TRUE (server.waitForRequests (2));

        const auto start = juce::Time::getMillisecondCounterHiRes();
        checker.reset();
        EXPECT_LT (elapsedMs (start), 2000);
    }
}

TEST_F (UpdateCheck, OneCheckPerProcessHoweverOftenTheMasterRestarts)
{
    LocalHttpServer server (answer (positive));
    auto& checker = CheckUpdatesThread::getInstance();
    checker.setConfigForTests (config (server.root()));
    CheckUpdatesThread::setChecksEnabled (true);

    Testing::enterHost ({});
    auto& master = TavoMaster::getInstance();
    master.setAutomaticThread (true);

    for (int run = 0; run < 3; ++run)
    {
        SCOPED_TRACE (run);
        checkedMarker.deleteFile(); // so that only the started flag can hold a second check back

        auto processor = std::make_unique<TavoAudioProcessor>();

        // An open editor that the master counts proves that a step of this run has passed.
        processor->setEditorOpen (true);
        ASSERT_TRUE (Testing::dispatchUntil ([&] { return master.getEditorsOpen() == 1; }, 5000));
        processor->setEditorOpen (false);
        ASSERT_TRUE (Testing::dispatchUntil ([&] { return master.getEditorsOpen() == 0; }, 5000));

        processor.reset();

        // The master waited for the check before its thread ended.
        EXPECT_FALSE (master.isThreadRunning());
        EXPECT_FALSE (checker.isThreadRunning());
        EXPECT_TRUE (checker.isUpdateAvailable());
    }

    EXPECT_EQ (server.requestLines(), std::vector<juce::String> { knownRequestLine });
    EXPECT_EQ (checker.getUpdateUrl(), siteRoot + "downloads/tavo-1.1.html");
}
} // namespace Tavo
