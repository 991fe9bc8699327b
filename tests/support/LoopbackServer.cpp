#include "tests/support/LoopbackServer.h"

#include <chrono>

namespace tarnel::testing {

LoopbackServer::~LoopbackServer() {
    if (thread_.joinable()) {
        server_.stop();
        thread_.join();
    }
}

bool LoopbackServer::Start(int port) {
    if (port == 0) {
        port_ = server_.bind_to_any_port("127.0.0.1");
    } else {
        port_ = server_.bind_to_port("127.0.0.1", port) ? port : -1;
    }
    if (port_ < 0) {
        return false;
    }
    thread_ = std::thread([this] { server_.listen_after_bind(); });
    // stop() is ignored until the accept loop runs, so the destructor could otherwise hang.
    while (!server_.is_running()) {
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    return true;
}

QString LoopbackServer::Url(const QString& path) const {
    return QStringLiteral("http://127.0.0.1:%1%2").arg(port_).arg(path);
}

} // namespace tarnel::testing
