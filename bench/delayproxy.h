#pragma once

// A TCP relay on loopback that stands for a slow link: every byte waits
// `oneWayMs` in each direction, and a new connection waits one round trip
// more, for the TCP handshake it would make over that link.
//
// It counts round trips: a burst of bytes from the client that comes after
// the server last spoke (or opens the connection) is one round trip, the
// handshake another. Bursts sent back to back with no answer between them
// (pipelined) are one.

#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

class DelayProxy {
public:
    // Relays to targetHost:targetPort (numeric IPv4 address).
    DelayProxy(std::string targetHost, int targetPort, int oneWayMs);
    ~DelayProxy();
    DelayProxy(const DelayProxy&) = delete;
    DelayProxy& operator=(const DelayProxy&) = delete;

    // Listens on 127.0.0.1:port (0: a free port); answers the port, or -1.
    int start(int port = 0);
    void stop();

    // A stalled link: the connections stay up and nothing passes either way
    // (new ones are taken, and wait too) until it resumes; what was sent
    // meanwhile then passes in order.
    void setStalled(bool stalled);

    std::int64_t roundTrips() const { return m_roundTrips.load(); }
    std::int64_t connections() const { return m_connections.load(); }
    // Called (from a relay thread) with the connection's number and the
    // protocol messages of each client burst that counts as a round trip.
    std::function<void(int connection, const std::string& burst)> onRoundTrip;
    // Called after every change of the count.
    std::function<void(std::int64_t roundTrips)> onCount;

private:
    struct Link;
    void acceptLoop();
    void relay(std::shared_ptr<Link> link);

    std::string m_host;
    int m_port;
    int m_oneWayMs;
    int m_listener = -1;
    std::atomic<bool> m_stopping{false};
    std::mutex m_stallMutex;
    std::condition_variable m_stallChanged;
    bool m_stalled = false;
    std::atomic<std::int64_t> m_roundTrips{0};
    std::atomic<std::int64_t> m_connections{0};
    std::thread m_acceptor;
    std::mutex m_mutex;
    std::vector<std::thread> m_threads;
    std::vector<std::shared_ptr<Link>> m_links;
};
