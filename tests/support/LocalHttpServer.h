#pragma once

#include <juce_core/juce_core.h>

#include <string>
#include <vector>

namespace Tavo::Testing
{
/** A small HTTP server on 127.0.0.1, on a port the system picks. It answers
    every request with one canned reply and records the request lines. It
    serves one connection at a time and stops when destroyed. */
class LocalHttpServer final : private juce::Thread
{
public:
    struct Reply
    {
        int status = 200;
        std::string body;

        /** The Content-Length sent; -1 sends the body's true length. A larger
            value makes the answer arrive cut off. */
        long long declaredLength = -1;

        /** After the body, a few more bytes every few milliseconds without
            end, fast enough for no reader to call the connection stalled. */
        bool trickle = false;
    };

    explicit LocalHttpServer (Reply replyToSend);
    ~LocalHttpServer() override;

    /** "http://127.0.0.1:<port>/". */
    juce::String root() const;

    std::vector<juce::String> requestLines() const;

    /** Waits until this many requests have arrived. */
    bool waitForRequests (size_t count, int timeoutMs = 5000) const;

    /** The root of a port that refuses connections. */
    static juce::String refusingRoot();

private:
    void run() override;
    void serve (juce::StreamingSocket& connection);

    const Reply reply;
    juce::StreamingSocket listener;
    mutable juce::CriticalSection lock;
    std::vector<juce::String> lines;
};
} // namespace Tavo::Testing
