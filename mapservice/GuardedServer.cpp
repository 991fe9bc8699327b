#include "mapservice/GuardedServer.h"

#include "mapservice/ConnectionThreads.h"
#include "mapservice/DeadlineStream.h"

#include <netinet/in.h>
#include <netinet/tcp.h>
#include <sys/socket.h>
#include <unistd.h>

namespace tarnel {

namespace {

void CloseSocket(socket_t sock) {
    shutdown(sock, SHUT_RDWR);
    close(sock);
}

} // namespace

GuardedServer::GuardedServer() {
    new_task_queue = [] {
        return new ConnectionThreads;
    };
}

int GuardedServer::BindToAnyPort(const std::string& host) {
    const int port = bind_to_any_port(host);
    if (port > 0) {
        ::listen(svr_sock_, SOMAXCONN);
    }
    return port;
}

void GuardedServer::StopServing() {
    const socket_t listening = svr_sock_.exchange(INVALID_SOCKET);
    if (listening != INVALID_SOCKET) {
        CloseSocket(listening);
    }
}

bool GuardedServer::Stopping() const {
    return svr_sock_ == INVALID_SOCKET;
}

bool GuardedServer::process_and_close_socket(socket_t sock) {
    if (connections_.fetch_add(1) >= kMaxConnections) {
        connections_.fetch_sub(1);
        CloseSocket(sock);
        return false;
    }
    // A response goes out as its header, then its body: without this the body waits for the
    // browser's delayed acknowledgement of the header, some 40 ms for every answer.
    const int noDelay = 1;
    setsockopt(sock, IPPROTO_TCP, TCP_NODELAY, &noDelay, sizeof noDelay);
    DeadlineStream stream(
        sock, [this] { return Stopping(); }, kWriteTimeout);
    bool served = true;
    for (std::size_t count = 0; count < kRequestsPerConnection; ++count) {
        // The first byte of the next request, then the rest of its header in bounded time.
        stream.SetReadDeadline(DeadlineStream::Clock::now() + kIdleLimit);
        if (!stream.WaitReadable()) {
            break;
        }
        stream.SetReadDeadline(DeadlineStream::Clock::now() + kHeaderDeadline);
        bool closed = false;
        served = process_request(stream, count + 1 == kRequestsPerConnection || Stopping(), closed,
                                 [](httplib::Request&) {});
        if (!served || closed) {
            break;
        }
    }
    CloseSocket(sock);
    connections_.fetch_sub(1);
    return served;
}

} // namespace tarnel
