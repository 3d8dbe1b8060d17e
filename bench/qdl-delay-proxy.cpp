// A slow link on loopback, for measuring the screen as a terminal far from
// the server sees it (bench/delayproxy.h says what it delays and counts).
//
//   qdl-delay-proxy --target 127.0.0.1:5432 [--listen PORT] [--delay-ms 25]
//                   [--count-file PATH] [--trace]
//
// Prints "listening PORT" once ready, then relays until killed. --count-file
// holds the round trips so far (one number, rewritten at every change);
// --trace prints each round trip's client messages to stderr.

#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cerrno>
#include <cstring>
#include <pthread.h>
#include <mutex>
#include <string>
#include <unistd.h>

#include "delayproxy.h"

int main(int argc, char** argv)
{
    std::string target, countFile;
    int listen = 0, delay = 25;
    bool trace = false;
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        const bool hasValue = i + 1 < argc;
        if (arg == "--target" && hasValue)
            target = argv[++i];
        else if (arg == "--listen" && hasValue)
            listen = std::atoi(argv[++i]);
        else if (arg == "--delay-ms" && hasValue)
            delay = std::atoi(argv[++i]);
        else if (arg == "--count-file" && hasValue)
            countFile = argv[++i];
        else if (arg == "--trace")
            trace = true;
        else {
            std::fprintf(stderr, "usage: qdl-delay-proxy --target HOST:PORT [--listen PORT] [--delay-ms MS] "
                                 "[--count-file PATH] [--trace]\n");
            return 2;
        }
    }
    const size_t colon = target.rfind(':');
    if (colon == std::string::npos) {
        std::fprintf(stderr, "qdl-delay-proxy: --target HOST:PORT is required\n");
        return 2;
    }
    DelayProxy proxy(target.substr(0, colon), std::atoi(target.c_str() + colon + 1), delay);
    std::mutex fileMutex;
    if (!countFile.empty()) {
        proxy.onCount = [&](std::int64_t count) {
            std::lock_guard lock(fileMutex);
            if (FILE* f = std::fopen(countFile.c_str(), "w")) {
                std::fprintf(f, "%lld\n", static_cast<long long>(count));
                std::fclose(f);
            }
        };
        proxy.onCount(0);
    }
    if (trace)
        proxy.onRoundTrip = [](int connection, const std::string& burst) {
            std::fprintf(stderr, "[%d] %s\n", connection, burst.c_str());
        };
    // Blocked before the relay threads start, so that only sigwait takes them.
    sigset_t stopSignals;
    sigemptyset(&stopSignals);
    sigaddset(&stopSignals, SIGINT);
    sigaddset(&stopSignals, SIGTERM);
    pthread_sigmask(SIG_BLOCK, &stopSignals, nullptr);
    const int port = proxy.start(listen);
    if (port < 0) {
        std::fprintf(stderr, "qdl-delay-proxy: cannot listen: %s\n", std::strerror(errno));
        return 1;
    }
    std::printf("listening %d\n", port);
    std::fflush(stdout);
    int received = 0;
    sigwait(&stopSignals, &received);
    proxy.stop();
    return 0;
}
