// Start-up time to a shown window, measured from outside the program: starts the program given
// after "--" and waits for the X server to map a top-level window whose title begins with the
// given prefix. Prints the milliseconds from the start to that map, then ends the program.
//
//   tarnel_bench_window_watch "Tarnel - v" 60 -- build/default/app/tarnel
//
// Needs an X server with no window manager (xvfb-run), so that top-level windows are children
// of the root window and their maps reach it.

#include <X11/Xatom.h>
#include <X11/Xlib.h>

#include <cerrno>
#include <chrono>
#include <csignal>
#include <cstdio>
#include <cstring>
#include <string>
#include <sys/select.h>
#include <sys/wait.h>
#include <unistd.h>

namespace {

using Clock = std::chrono::steady_clock;

std::string WindowTitle(Display* display, Window window) {
    const Atom netName = XInternAtom(display, "_NET_WM_NAME", False);
    const Atom utf8 = XInternAtom(display, "UTF8_STRING", False);
    Atom type = None;
    int format = 0;
    unsigned long count = 0;
    unsigned long after = 0;
    unsigned char* data = nullptr;
    std::string title;
    if (XGetWindowProperty(display, window, netName, 0, 1024, False, utf8, &type, &format, &count,
                           &after, &data) == Success &&
        data != nullptr) {
        title.assign(reinterpret_cast<char*>(data), count);
        XFree(data);
    }
    if (title.empty()) {
        char* name = nullptr;
        if (XFetchName(display, window, &name) && name != nullptr) {
            title = name;
            XFree(name);
        }
    }
    return title;
}

void EndChild(pid_t child) {
    kill(child, SIGTERM);
    for (int i = 0; i < 40; ++i) {
        if (waitpid(child, nullptr, WNOHANG) == child) {
            return;
        }
        usleep(50000);
    }
    kill(child, SIGKILL);
    waitpid(child, nullptr, 0);
}

} // namespace

int main(int argc, char* argv[]) {
    if (argc < 5 || std::strcmp(argv[3], "--") != 0) {
        std::fprintf(stderr, "usage: %s TITLE_PREFIX TIMEOUT_SECONDS -- PROGRAM [ARGS...]\n",
                     argv[0]);
        return 2;
    }
    const std::string prefix = argv[1];
    const auto timeout = std::chrono::seconds(std::stoi(argv[2]));
    Display* display = XOpenDisplay(nullptr);
    if (display == nullptr) {
        std::fprintf(stderr, "no X display\n");
        return 2;
    }
    XSelectInput(display, DefaultRootWindow(display), SubstructureNotifyMask);
    XSync(display, False);

    const Clock::time_point start = Clock::now();
    const pid_t child = fork();
    if (child == 0) {
        execvp(argv[4], argv + 4);
        _exit(127);
    }
    const int connection = ConnectionNumber(display);
    while (Clock::now() - start < timeout) {
        while (XPending(display) > 0) {
            XEvent event;
            XNextEvent(display, &event);
            if (event.type == MapNotify &&
                WindowTitle(display, event.xmap.window).compare(0, prefix.size(), prefix) == 0) {
                const double ms =
                    std::chrono::duration<double, std::milli>(Clock::now() - start).count();
                std::printf("%.1f\n", ms);
                EndChild(child);
                XCloseDisplay(display);
                return 0;
            }
        }
        if (waitpid(child, nullptr, WNOHANG) == child) {
            std::fprintf(stderr, "the program ended before showing its window\n");
            return 1;
        }
        fd_set read;
        FD_ZERO(&read);
        FD_SET(connection, &read);
        timeval wait{0, 20000};
        select(connection + 1, &read, nullptr, nullptr, &wait);
    }
    std::fprintf(stderr, "no window titled \"%s...\" within %d s\n", prefix.c_str(),
                 int(timeout.count()));
    EndChild(child);
    return 1;
}
