#include "support/LocalHttpServer.h"

#include <sys/socket.h>

#include <cerrno>
#include <memory>
#include <stdexcept>

namespace Tavo::Testing
{
namespace
{
    juce::String rootOf (int port) { return "http://127.0.0.1:" + juce::String (port) + "/"; }

    // The client may hang up before a long reply is out; that must not raise
    // SIGPIPE. Reading has left the socket non-blocking, so a full send
    // buffer means waiting, not failure.
    bool sendAll (juce::StreamingSocket& connection, const std::string& data)
    {
        size_t sent = 0;

        while (sent < data.size())
        {
            const auto n =
                ::send (connection.getRawSocketHandle(), data.data() + sent, data.size() - sent, MSG_NOSIGNAL);

            if (n < 0 && (errno == EAGAIN || errno == EWOULDBLOCK))
            {
                if (connection.waitUntilReady (false, 2000) <= 0)
                    return false;

                continue;
            }

            if (n <= 0)
                return false;

            sent += static_cast<size_t> (n);
        }

        return true;
    }
} // namespace

LocalHttpServer::LocalHttpServer (Reply replyToSend)
    : juce::Thread ("local http server")
    , reply (std::move (replyToSend))
{
    if (! listener.createListener (0, "127.0.0.1"))
        throw std::runtime_error ("cannot listen on 127.0.0.1");

    startThread();
}

LocalHttpServer::~LocalHttpServer()
{
    stopThread (5000);
    listener.close();
}

juce::String LocalHttpServer::root() const
{
    return rootOf (listener.getBoundPort());
}

juce::String LocalHttpServer::refusingRoot()
{
    juce::StreamingSocket probe;
    probe.createListener (0, "127.0.0.1");
    const auto port = probe.getBoundPort();
    probe.close();
    return rootOf (port);
}

std::vector<juce::String> LocalHttpServer::requestLines() const
{
    const juce::ScopedLock sl (lock);
    return lines;
}

bool LocalHttpServer::waitForRequests (size_t count, int timeoutMs) const
{
    const auto end = juce::Time::getMillisecondCounter() + static_cast<juce::uint32> (timeoutMs);

    while (requestLines().size() < count)
    {
        if (juce::Time::getMillisecondCounter() > end)
            return false;

        juce::Thread::sleep (5);
    }

    return true;
}

void LocalHttpServer::run()
{
    while (! threadShouldExit())
    {
        if (listener.waitUntilReady (true, 20) <= 0)
            continue;

        if (std::unique_ptr<juce::StreamingSocket> connection { listener.waitForNextConnection() })
            serve (*connection);
    }
}

void LocalHttpServer::serve (juce::StreamingSocket& connection)
{
    std::string request;
    char buffer[4096];

    while (request.find ("\r\n\r\n") == std::string::npos && ! threadShouldExit())
    {
        if (connection.waitUntilReady (true, 2000) <= 0)
            return;

        const auto n = connection.read (buffer, static_cast<int> (sizeof (buffer)), false);

        if (n <= 0)
            return;

        request.append (buffer, static_cast<size_t> (n));
    }

    {
        const juce::ScopedLock sl (lock);
        lines.push_back (juce::String (request.substr (0, request.find ("\r\n"))));
    }

    auto length = reply.declaredLength >= 0 ? reply.declaredLength : static_cast<long long> (reply.body.size());

    if (reply.trickle)
        length = 1LL << 40;

    const auto head = "HTTP/1.1 " + std::to_string (reply.status) + " Canned\r\nContent-Type: text/plain\r\n"
                      + "Content-Length: " + std::to_string (length) + "\r\nConnection: close\r\n\r\n";

    if (! sendAll (connection, head) || ! sendAll (connection, reply.body) || ! reply.trickle)
        return;

    while (! threadShouldExit() && sendAll (connection, "aaaa"))
        wait (5);
}
} // namespace Tavo::Testing
