#pragma once

#include <httplib.h>

#include <atomic>
#include <chrono>
#include <string>

namespace tarnel {

// A cpp-httplib server that slow, idle or numerous clients cannot hold up, and that stops for
// certain:
// - each connection has a thread of its own (ConnectionThreads), up to `kMaxConnections` at
//   once; those beyond are closed at once;
// - a request's whole header must arrive within `kHeaderDeadline` of its first byte, and a
//   connection may wait `kIdleLimit` for that first byte;
// - StopServing() works in every state, before the accept loop runs too (stop() of
//   cpp-httplib is not heard then), and every wait of a connection ends within a few tens of
//   milliseconds of it.
class GuardedServer final : public httplib::Server {
public:
    static constexpr int kMaxConnections = 128;
    static constexpr std::chrono::milliseconds kHeaderDeadline{2000};
    static constexpr std::chrono::milliseconds kIdleLimit{2000};
    static constexpr std::chrono::milliseconds kWriteTimeout{2000};
    static constexpr std::size_t kRequestsPerConnection = 100;

    GuardedServer();

    // bind_to_any_port() with room for a burst of connections in the listening socket's queue
    // (cpp-httplib's is 5: a sixth connection arriving at once waits a second for its retry).
    int BindToAnyPort(const std::string& host);

    // Closes the listening socket: the accept loop ends, or never starts when it has not yet,
    // and the connections end their waits. Harmless when repeated.
    void StopServing();

private:
    bool process_and_close_socket(socket_t sock) override;
    bool Stopping() const;

    std::atomic<int> connections_ = 0;
};

} // namespace tarnel
