#include "mapservice/DeadlineStream.h"

#include <algorithm>
#include <arpa/inet.h>
#include <cerrno>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <utility>

namespace tarnel {

namespace {

// How long one wait may last before the stop is looked at again.
constexpr std::chrono::milliseconds kStopCheck{20};

void AddressOf(const sockaddr_storage& address, std::string& ip, int& port) {
    char text[INET6_ADDRSTRLEN] = {};
    if (address.ss_family == AF_INET) {
        const auto& v4 = reinterpret_cast<const sockaddr_in&>(address);
        inet_ntop(AF_INET, &v4.sin_addr, text, sizeof text);
        port = ntohs(v4.sin_port);
    } else if (address.ss_family == AF_INET6) {
        const auto& v6 = reinterpret_cast<const sockaddr_in6&>(address);
        inet_ntop(AF_INET6, &v6.sin6_addr, text, sizeof text);
        port = ntohs(v6.sin6_port);
    }
    ip = text;
}

} // namespace

DeadlineStream::DeadlineStream(socket_t socket, std::function<bool()> stopping,
                               std::chrono::milliseconds writeTimeout)
    : socket_(socket)
    , stopping_(std::move(stopping))
    , writeTimeout_(writeTimeout)
    , readDeadline_(Clock::now()) {
}

bool DeadlineStream::WaitFor(short events, Clock::time_point deadline) const {
    while (!stopping_()) {
        const auto now = Clock::now();
        if (now >= deadline) {
            return false;
        }
        const auto slice = std::min(
            kStopCheck, std::chrono::duration_cast<std::chrono::milliseconds>(deadline - now) +
                            std::chrono::milliseconds(1));
        pollfd watched{socket_, events, 0};
        const int ready = poll(&watched, 1, static_cast<int>(slice.count()));
        if (ready > 0) {
            return true; // readable, writable, or closed: the read or write tells which
        }
        if (ready < 0 && errno != EINTR) {
            return false;
        }
    }
    return false;
}

bool DeadlineStream::WaitReadable() const {
    return WaitFor(POLLIN, readDeadline_);
}

bool DeadlineStream::is_writable() const {
    return WaitFor(POLLOUT, Clock::now() + writeTimeout_);
}

ssize_t DeadlineStream::read(char* ptr, size_t size) {
    if (!WaitReadable()) {
        return -1;
    }
    ssize_t received = 0;
    do {
        received = recv(socket_, ptr, size, 0);
    } while (received < 0 && errno == EINTR);
    return received;
}

ssize_t DeadlineStream::write(const char* ptr, size_t size) {
    if (!is_writable()) {
        return -1;
    }
    ssize_t sent = 0;
    do {
        sent = send(socket_, ptr, size, MSG_NOSIGNAL);
    } while (sent < 0 && errno == EINTR);
    return sent;
}

void DeadlineStream::get_remote_ip_and_port(std::string& ip, int& port) const {
    sockaddr_storage address{};
    socklen_t length = sizeof address;
    if (getpeername(socket_, reinterpret_cast<sockaddr*>(&address), &length) == 0) {
        AddressOf(address, ip, port);
    }
}

void DeadlineStream::get_local_ip_and_port(std::string& ip, int& port) const {
    sockaddr_storage address{};
    socklen_t length = sizeof address;
    if (getsockname(socket_, reinterpret_cast<sockaddr*>(&address), &length) == 0) {
        AddressOf(address, ip, port);
    }
}

} // namespace tarnel
