#pragma once

#include <httplib.h>

#include <chrono>
#include <functional>

namespace tarnel {

// One accepted connection as cpp-httplib reads and writes it, with a deadline for everything
// read until it is moved again (the whole request header, not each read), and an eye on the
// server's stop: every wait ends within a few tens of milliseconds of `stopping` turning true.
class DeadlineStream final : public httplib::Stream {
public:
    using Clock = std::chrono::steady_clock;

    DeadlineStream(socket_t socket, std::function<bool()> stopping,
                   std::chrono::milliseconds writeTimeout);

    // Reads must be done by `deadline`.
    void SetReadDeadline(Clock::time_point deadline) { readDeadline_ = deadline; }

    // Waits until bytes can be read; false when the read deadline or the stop came first.
    bool WaitReadable() const;

    bool is_readable() const override { return WaitReadable(); }
    bool is_writable() const override;
    ssize_t read(char* ptr, size_t size) override;
    ssize_t write(const char* ptr, size_t size) override;
    void get_remote_ip_and_port(std::string& ip, int& port) const override;
    void get_local_ip_and_port(std::string& ip, int& port) const override;
    socket_t socket() const override { return socket_; }

private:
    // Polls for `events` until `deadline`; false when it or the stop came first.
    bool WaitFor(short events, Clock::time_point deadline) const;

    const socket_t socket_;
    const std::function<bool()> stopping_;
    const std::chrono::milliseconds writeTimeout_;
    Clock::time_point readDeadline_;
};

} // namespace tarnel
