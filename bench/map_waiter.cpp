// Starts a program and prints how long it took, from the exec to the map of
// its window and to the first drawing into it, to the millisecond. Polling
// tools look every half second at best; this one is told by the X server
// itself: it listens to the root window's substructure before the program
// starts, so no map can slip by.
//
//   quillo_map_waiter [--linger MS] [--timeout MS] TITLE COMMAND [ARG...]
//
// TITLE is part of the window's WM_NAME or _NET_WM_NAME. The map alone
// flatters a program that shows its window first and fills it afterwards, so
// the waiter also reports when the window was last drawn into (Damage
// events) before it stayed unchanged for 250 ms. Then it lingers, ends the
// program that owns the window (_NET_WM_PID, so a wrapper such as
// /usr/bin/time survives to report) and waits for COMMAND. Prints
// "map_ms=... drawn_ms=..."; exits 0 when the window was mapped and drawn, 2
// when the program ended first, 3 on timeout.
#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <X11/extensions/Xdamage.h>
#include <fcntl.h>
#include <signal.h>
#include <sys/select.h>
#include <sys/wait.h>
#include <time.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <map>
#include <string>

namespace {

double nowMs() {
    timespec ts{};
    clock_gettime(CLOCK_MONOTONIC, &ts);
    return static_cast<double>(ts.tv_sec) * 1e3 + static_cast<double>(ts.tv_nsec) / 1e6;
}

std::string property(Display* display, Window window, Atom name) {
    Atom type = None;
    int format = 0;
    unsigned long count = 0;
    unsigned long after = 0;
    unsigned char* data = nullptr;
    std::string value;
    if (XGetWindowProperty(display, window, name, 0, 1024, False, AnyPropertyType, &type, &format,
                           &count, &after, &data) == Success &&
        data) {
        if (format == 8) value.assign(reinterpret_cast<char*>(data), count);
        XFree(data);
    }
    return value;
}

pid_t windowPid(Display* display, Window window) {
    Atom type = None;
    int format = 0;
    unsigned long count = 0;
    unsigned long after = 0;
    unsigned char* data = nullptr;
    pid_t pid = 0;
    const Atom atom = XInternAtom(display, "_NET_WM_PID", False);
    if (XGetWindowProperty(display, window, atom, 0, 1, False, XA_CARDINAL, &type, &format, &count,
                           &after, &data) == Success &&
        data) {
        if (format == 32 && count == 1) pid = static_cast<pid_t>(*reinterpret_cast<long*>(data));
        XFree(data);
    }
    return pid;
}

// Windows come and go while a program starts; a request about one that has
// already gone is no reason to stop measuring.
int ignoreErrors(Display*, XErrorEvent*) {
    return 0;
}

int usage() {
    std::fprintf(stderr,
                 "usage: quillo_map_waiter [--linger MS] [--timeout MS] TITLE COMMAND [ARG...]\n");
    return 64;
}

}  // namespace

int main(int argc, char* argv[]) {
    int lingerMs = 0;
    int timeoutMs = 20000;
    int arg = 1;
    for (; arg + 1 < argc && std::strncmp(argv[arg], "--", 2) == 0; arg += 2) {
        if (std::strcmp(argv[arg], "--linger") == 0) {
            lingerMs = std::atoi(argv[arg + 1]);
        } else if (std::strcmp(argv[arg], "--timeout") == 0) {
            timeoutMs = std::atoi(argv[arg + 1]);
        } else {
            return usage();
        }
    }
    if (argc - arg < 2) return usage();
    const char* title = argv[arg];
    char** command = argv + arg + 1;

    Display* display = XOpenDisplay(nullptr);
    if (!display) {
        std::fprintf(stderr, "quillo_map_waiter: cannot open display\n");
        return 1;
    }
    int damageEvent = 0;
    int damageError = 0;
    if (!XDamageQueryExtension(display, &damageEvent, &damageError)) {
        std::fprintf(stderr, "quillo_map_waiter: the X server has no Damage extension\n");
        return 1;
    }
    XSetErrorHandler(ignoreErrors);
    const Window root = DefaultRootWindow(display);
    XSelectInput(display, root, SubstructureNotifyMask);
    XSync(display, False);
    const Atom netWmName = XInternAtom(display, "_NET_WM_NAME", False);

    const double start = nowMs();
    const pid_t child = fork();
    if (child < 0) return 1;
    if (child == 0) {
        const int devNull = open("/dev/null", O_WRONLY);
        if (devNull >= 0) dup2(devNull, STDOUT_FILENO);
        execvp(command[0], command);
        std::perror(command[0]);
        _exit(127);
    }

    // Damage is watched from each window's creation, so that no drawing after
    // the map can come before the watch.
    constexpr double kQuietMs = 250;
    std::map<Window, Damage> damages;
    Window mapped = None;
    double mapMs = 0;
    double drawnMs = 0;
    int result = 3;
    const int fd = ConnectionNumber(display);
    for (;;) {
        while (XPending(display) > 0) {
            XEvent event;
            XNextEvent(display, &event);
            if (event.type == CreateNotify && event.xcreatewindow.parent == root) {
                damages[event.xcreatewindow.window] =
                    XDamageCreate(display, event.xcreatewindow.window, XDamageReportRawRectangles);
            } else if (event.type == MapNotify && mapped == None) {
                const Window window = event.xmap.window;
                if (property(display, window, XA_WM_NAME).find(title) != std::string::npos ||
                    property(display, window, netWmName).find(title) != std::string::npos) {
                    mapMs = nowMs() - start;
                    mapped = window;
                }
            } else if (event.type == damageEvent + XDamageNotify && mapped != None &&
                       reinterpret_cast<XDamageNotifyEvent&>(event).drawable == mapped) {
                drawnMs = nowMs() - start;
            }
        }
        const double now = nowMs();
        if (drawnMs > 0 && now - start - drawnMs >= kQuietMs) {
            std::printf("map_ms=%.2f drawn_ms=%.2f\n", mapMs, drawnMs);
            std::fflush(stdout);
            result = 0;
            break;
        }
        int status = 0;
        if (waitpid(child, &status, WNOHANG) == child) {
            std::fprintf(stderr, "quillo_map_waiter: %s ended before its window was %s\n",
                         command[0], mapped == None ? "mapped" : "drawn");
            return 2;
        }
        if (now - start >= timeoutMs) break;
        fd_set readable;
        FD_ZERO(&readable);
        FD_SET(fd, &readable);
        timeval wait{0, 10000};  // also looks at the child and the clock every 10 ms
        select(fd + 1, &readable, nullptr, nullptr, &wait);
    }
    if (result == 3) std::fprintf(stderr, "quillo_map_waiter: timed out\n");

    if (lingerMs > 0) usleep(static_cast<useconds_t>(lingerMs) * 1000);
    const pid_t owner = mapped != None ? windowPid(display, mapped) : 0;
    kill(owner > 0 ? owner : child, SIGTERM);
    int status = 0;
    waitpid(child, &status, 0);
    XCloseDisplay(display);
    return result;
}
