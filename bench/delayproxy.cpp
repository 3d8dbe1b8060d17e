#include "delayproxy.h"

#include <algorithm>
#include <arpa/inet.h>
#include <cerrno>
#include <chrono>
#include <cstring>
#include <deque>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <sys/socket.h>
#include <unistd.h>

namespace {

using Clock = std::chrono::steady_clock;

// Bytes read from one side, to be written to the other at `due`; an empty
// chunk is the end of the stream.
struct Chunk {
    Clock::time_point due;
    std::string bytes;
};

struct Queue {
    std::mutex mutex;
    std::condition_variable ready;
    std::deque<Chunk> chunks;

    void push(Chunk c)
    {
        {
            std::lock_guard lock(mutex);
            chunks.push_back(std::move(c));
        }
        ready.notify_one();
    }
};

bool writeAll(int fd, const std::string& bytes)
{
    size_t sent = 0;
    while (sent < bytes.size()) {
        const ssize_t n = ::send(fd, bytes.data() + sent, bytes.size() - sent, MSG_NOSIGNAL);
        if (n <= 0)
            return false;
        sent += size_t(n);
    }
    return true;
}

// The protocol messages of a client burst, for a trace: "Parse(SELECT ...)
// Bind Execute Sync". A burst that does not start on a message boundary
// reads as its size.
std::string describe(const std::string& b, bool first)
{
    if (first)
        return "startup/" + std::to_string(b.size()) + "B";
    std::string out;
    size_t at = 0;
    while (at + 5 <= b.size()) {
        const char type = b[at];
        uint32_t length = 0;
        std::memcpy(&length, b.data() + at + 1, 4);
        length = ntohl(length);
        if (length < 4 || at + 1 + length > b.size())
            break;
        const std::string body = b.substr(at + 5, length - 4);
        if (!out.empty())
            out += ' ';
        switch (type) {
        case 'Q':
            out += "Query(" + body.substr(0, 60) + ")";
            break;
        case 'P': {
            const size_t name = body.find('\0');
            out += "Parse(" + body.substr(name + 1, 60) + ")";
            break;
        }
        case 'B': out += "Bind"; break;
        case 'E': out += "Execute"; break;
        case 'D': out += "Describe"; break;
        case 'S': out += "Sync"; break;
        case 'H': out += "Flush"; break;
        case 'X': out += "Terminate"; break;
        case 'C': out += "Close"; break;
        default: out += type; break;
        }
        at += 1 + length;
    }
    if (at < b.size())
        out += (out.empty() ? "" : " ") + std::to_string(b.size() - at) + "B";
    return out;
}

} // namespace

struct DelayProxy::Link {
    int number = 0;
    int client = -1;
    int server = -1;
    Clock::time_point opened;
    std::mutex mutex;
    bool serverSpoke = true; // the handshake's answer
    bool firstBurst = true;
    Queue toServer, toClient;
};

DelayProxy::DelayProxy(std::string targetHost, int targetPort, int oneWayMs)
    : m_host(std::move(targetHost)), m_port(targetPort), m_oneWayMs(oneWayMs)
{
}

DelayProxy::~DelayProxy()
{
    stop();
}

int DelayProxy::start(int port)
{
    m_listener = ::socket(AF_INET, SOCK_STREAM, 0);
    if (m_listener < 0)
        return -1;
    const int yes = 1;
    ::setsockopt(m_listener, SOL_SOCKET, SO_REUSEADDR, &yes, sizeof yes);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_port = htons(uint16_t(port));
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t size = sizeof address;
    if (::bind(m_listener, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0
        || ::listen(m_listener, 64) != 0
        || ::getsockname(m_listener, reinterpret_cast<sockaddr*>(&address), &size) != 0) {
        ::close(m_listener);
        m_listener = -1;
        return -1;
    }
    m_acceptor = std::thread([this] { acceptLoop(); });
    return ntohs(address.sin_port);
}

void DelayProxy::setStalled(bool stalled)
{
    {
        std::lock_guard lock(m_stallMutex);
        m_stalled = stalled;
    }
    m_stallChanged.notify_all();
}

void DelayProxy::stop()
{
    if (m_stopping.exchange(true))
        return;
    setStalled(false);
    if (m_listener >= 0)
        ::shutdown(m_listener, SHUT_RDWR);
    if (m_acceptor.joinable())
        m_acceptor.join();
    std::vector<std::thread> threads;
    {
        std::lock_guard lock(m_mutex);
        for (const auto& link : m_links) {
            ::shutdown(link->client, SHUT_RDWR);
            ::shutdown(link->server, SHUT_RDWR);
            for (Queue* q : {&link->toServer, &link->toClient})
                q->push({Clock::now(), {}});
        }
        threads.swap(m_threads);
    }
    for (std::thread& t : threads)
        t.join();
    for (const auto& link : m_links) {
        ::close(link->client);
        ::close(link->server);
    }
    m_links.clear();
    if (m_listener >= 0)
        ::close(m_listener);
    m_listener = -1;
}

void DelayProxy::acceptLoop()
{
    while (!m_stopping) {
        const int client = ::accept(m_listener, nullptr, nullptr);
        if (client < 0) {
            if (m_stopping || errno != EINTR)
                return;
            continue;
        }
        const int server = ::socket(AF_INET, SOCK_STREAM, 0);
        sockaddr_in address{};
        address.sin_family = AF_INET;
        address.sin_port = htons(uint16_t(m_port));
        ::inet_pton(AF_INET, m_host.c_str(), &address.sin_addr);
        if (server < 0 || ::connect(server, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0) {
            ::close(client);
            if (server >= 0)
                ::close(server);
            continue;
        }
        const int yes = 1;
        ::setsockopt(client, IPPROTO_TCP, TCP_NODELAY, &yes, sizeof yes);
        ::setsockopt(server, IPPROTO_TCP, TCP_NODELAY, &yes, sizeof yes);
        auto link = std::make_shared<Link>();
        link->number = int(++m_connections);
        link->client = client;
        link->server = server;
        link->opened = Clock::now();
        const std::int64_t count = ++m_roundTrips; // the TCP handshake
        if (onCount)
            onCount(count);
        std::lock_guard lock(m_mutex);
        m_links.push_back(link);
        relay(link);
    }
}

// Four threads a connection: a reader and a writer each way.
void DelayProxy::relay(std::shared_ptr<Link> link)
{
    const auto delay = std::chrono::milliseconds(m_oneWayMs);
    const auto reader = [this, link, delay](bool fromClient) {
        const int from = fromClient ? link->client : link->server;
        Queue& queue = fromClient ? link->toServer : link->toClient;
        char buffer[65536];
        for (;;) {
            const ssize_t n = ::recv(from, buffer, sizeof buffer, 0);
            if (n <= 0) {
                queue.push({Clock::now(), {}});
                return;
            }
            std::string bytes(buffer, size_t(n));
            Clock::time_point due = Clock::now() + delay;
            if (fromClient) {
                // The client's first bytes leave after the handshake's round trip.
                due = std::max(due, link->opened + 3 * delay);
                bool counts = false, first = false;
                {
                    std::lock_guard lock(link->mutex);
                    counts = link->serverSpoke;
                    first = link->firstBurst;
                    link->serverSpoke = false;
                    link->firstBurst = false;
                }
                if (counts) {
                    const std::int64_t count = ++m_roundTrips;
                    if (onRoundTrip)
                        onRoundTrip(link->number, describe(bytes, first));
                    if (onCount)
                        onCount(count);
                }
            } else {
                std::lock_guard lock(link->mutex);
                link->serverSpoke = true;
            }
            queue.push({due, std::move(bytes)});
        }
    };
    const auto writer = [this, link](bool toServer) {
        const int to = toServer ? link->server : link->client;
        Queue& queue = toServer ? link->toServer : link->toClient;
        for (;;) {
            Chunk chunk;
            {
                std::unique_lock lock(queue.mutex);
                queue.ready.wait(lock, [&] { return !queue.chunks.empty(); });
                chunk = std::move(queue.chunks.front());
                queue.chunks.pop_front();
            }
            {
                std::unique_lock lock(m_stallMutex);
                m_stallChanged.wait(lock, [this] { return !m_stalled; });
            }
            if (chunk.bytes.empty() || (std::this_thread::sleep_until(chunk.due), !writeAll(to, chunk.bytes))) {
                ::shutdown(to, SHUT_WR);
                return;
            }
        }
    };
    m_threads.emplace_back(reader, true);
    m_threads.emplace_back(reader, false);
    m_threads.emplace_back(writer, true);
    m_threads.emplace_back(writer, false);
}
