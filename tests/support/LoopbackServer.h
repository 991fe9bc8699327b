#pragma once

#include <QString>
#include <httplib.h>
#include <thread>

namespace tarnel::testing {

// An HTTP server on 127.0.0.1 at a free port, answering from its own threads until destroyed.
// Routes are added through Server() before Start(); handlers that block must be released before
// the object is destroyed, since destruction waits for them.
class LoopbackServer {
public:
    LoopbackServer() = default;
    ~LoopbackServer();
    LoopbackServer(const LoopbackServer&) = delete;
    LoopbackServer& operator=(const LoopbackServer&) = delete;

    httplib::Server& Server() { return server_; }

    // Binds `port` (0: a free one) and starts answering; false when it could not be bound.
    bool Start(int port = 0);

    // The port bound by Start(), -1 before.
    int Port() const { return port_; }

    // "http://127.0.0.1:<port>" followed by `path` (which starts with "/").
    QString Url(const QString& path) const;

private:
    httplib::Server server_;
    int port_ = -1;
    std::thread thread_;
};

} // namespace tarnel::testing
