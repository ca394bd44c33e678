// Drives the real program on an X display as a user does, and times what the
// user waits for as X shows it: the mouse and the keys go in through XTEST,
// a box counts as there when its window is mapped and first painted (DAMAGE),
// and the project list as filled when its pixels change.
//
// Usage: morvane_x_driver PROGRAM FOLDER TEXT [--presses N] [--snapshots PREFIX]
// FOLDER holds exactly one sub-folder, the data; the program starts in FOLDER.
// Steps: N presses of CmdOK with the list empty (the search chosen), then the
// sub-folder opened in Dir1 (Enter on its entry), then TEXT typed and N
// presses of CmdOK over the listed files. Prints key=value figures in ns:
// empty_box_ns_K / empty_map_ns_K / empty_cpu_ns_K for press K, open_ns and
// open_cpu_ns, search_box_ns_K / search_map_ns_K / search_cpu_ns_K.
// --snapshots writes what X shows of the window and of each box as PPM
// files PREFIX-NAME.ppm, to compare two builds pixel for pixel.
#include <X11/XKBlib.h>
#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <X11/extensions/XTest.h>
#include <X11/extensions/Xdamage.h>
#include <X11/keysym.h>
#include <dirent.h>
#include <poll.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <fstream>
#include <map>
#include <optional>
#include <stdexcept>
#include <string>
#include <vector>

#include "app/centrado.h"
#include "app/form_description.h"

namespace {

using morvane::PixelRect;

[[noreturn]] void fail(const std::string& what) {
    throw std::runtime_error(what);
}

long long nowNs() {
    timespec t{};
    clock_gettime(CLOCK_MONOTONIC, &t);
    return t.tv_sec * 1000000000LL + t.tv_nsec;
}

// CPU time of every thread of a process, in ns (schedstat's first field).
long long processCpuNs(pid_t pid) {
    long long sum = 0;
    const std::string tasks = "/proc/" + std::to_string(pid) + "/task";
    DIR* dir = opendir(tasks.c_str());
    if (dir == nullptr) return -1;
    while (dirent* e = readdir(dir)) {
        if (e->d_name[0] == '.') continue;
        std::ifstream in(tasks + "/" + e->d_name + "/schedstat");
        long long ns = 0;
        if (in >> ns) sum += ns;
    }
    closedir(dir);
    return sum;
}

class Session {
  public:
    explicit Session(const char* program, const char* folder) {
        display_ = XOpenDisplay(nullptr);
        if (display_ == nullptr) fail("cannot open the X display");
        int event, error, major, minor;
        if (!XTestQueryExtension(display_, &event, &error, &major, &minor))
            fail("the display has no XTEST");
        if (!XDamageQueryExtension(display_, &damageEvent_, &error))
            fail("the display has no DAMAGE");
        root_ = DefaultRootWindow(display_);
        XSelectInput(display_, root_, SubstructureNotifyMask);
        XSync(display_, False);

        startNs_ = nowNs();
        pid_ = fork();
        if (pid_ < 0) fail("fork failed");
        if (pid_ == 0) {
            if (chdir(folder) != 0) _exit(126);
            execl(program, program, static_cast<char*>(nullptr));
            _exit(127);
        }
    }

    ~Session() {
        if (pid_ > 0) {
            kill(pid_, SIGTERM);
            waitpid(pid_, nullptr, 0);
        }
        if (display_ != nullptr) XCloseDisplay(display_);
    }

    pid_t pid() const { return pid_; }
    long long startNs() const { return startNs_; }

    // Waits for the program's window to be mapped and painted; the time of
    // its first paint.
    long long waitForMainWindow() {
        // A first start on a busy machine (font caches, other tests' windows)
        // can take some seconds; the figure is the time it took, not a limit.
        const auto mapped = waitForMap(30'000);
        if (!mapped) {
            int status = 0;
            if (waitpid(pid_, &status, WNOHANG) == pid_) {
                fail("the program ended before its window appeared (status " +
                     std::to_string(status) + ")");
            }
            fail("the program's window did not appear within 30 s");
        }
        main_ = mapped->window;
        const long long painted = waitForPaint(main_, 10'000);
        Window child;
        XTranslateCoordinates(display_, main_, root_, 0, 0, &originX_, &originY_, &child);
        return painted;
    }

    // Waits until nothing has been drawn for `quietMs`.
    void settle(int quietMs = 150) {
        long long last = nowNs();
        while (nowNs() - last < quietMs * 1'000'000LL) {
            XEvent ev;
            if (nextEvent(ev, quietMs)) {
                if (ev.type == damageEvent_ + XDamageNotify) last = nowNs();
            }
        }
    }

    PixelRect controlRect(const char* name, int index = -1) const {
        const auto* c = morvane::findControl(morvane::form1Description(), name, index);
        if (c == nullptr) fail(std::string("no control ") + name);
        return morvane::pixelsOf(*c, morvane::kStandardDpi);
    }

    void click(const PixelRect& r, int dx = -1, int dy = -1) {
        const int x = originX_ + r.left + (dx < 0 ? r.width / 2 : dx);
        const int y = originY_ + r.top + (dy < 0 ? r.height / 2 : dy);
        XTestFakeMotionEvent(display_, DefaultScreen(display_), x, y, 0);
        XTestFakeButtonEvent(display_, 1, True, 0);
        XTestFakeButtonEvent(display_, 1, False, 0);
        XFlush(display_);
    }

    void key(KeySym symbol) {
        const KeyCode code = XKeysymToKeycode(display_, symbol);
        if (code == 0) fail("no key for a character of the text");
        const bool shifted = XkbKeycodeToKeysym(display_, code, 0, 0) != symbol;
        const KeyCode shift = XKeysymToKeycode(display_, XK_Shift_L);
        if (shifted) XTestFakeKeyEvent(display_, shift, True, 0);
        XTestFakeKeyEvent(display_, code, True, 0);
        XTestFakeKeyEvent(display_, code, False, 0);
        if (shifted) XTestFakeKeyEvent(display_, shift, False, 0);
        XFlush(display_);
    }

    void type(const std::string& text) {
        for (unsigned char c : text) key(static_cast<KeySym>(c));  // Latin-1 keysyms
    }

    struct Box {
        Window window;
        long long mappedNs, paintedNs;
    };

    // Waits for a new top-level window (the box) to be mapped and painted.
    Box waitForBox() {
        const auto mapped = waitForMap(30'000);
        if (!mapped) fail("no box appeared");
        const long long painted = waitForPaint(mapped->window, 10'000);
        return {mapped->window, mapped->atNs, painted};
    }

    // Answers the box with Enter (its default button) and waits until it is gone.
    void closeBox(const Box& box) {
        // The key goes to the window with the input focus, which the box
        // takes from the program a moment after it is painted.
        const long long focusLimit = nowNs() + 10'000'000'000LL;
        for (;;) {
            Window focus = 0;
            int revert = 0;
            XGetInputFocus(display_, &focus, &revert);
            if (focus == box.window) break;
            if (nowNs() > focusLimit) fail("the box never took the focus");
            usleep(1000);
        }
        key(XK_Return);
        const long long limit = nowNs() + 10'000'000'000LL;
        while (nowNs() < limit) {
            XEvent ev;
            if (nextEvent(ev, 100) && ev.type == UnmapNotify && ev.xunmap.window == box.window)
                return;
        }
        fail("the box did not close");
    }

    // Writes the whole of a window as X shows it, as a binary PPM file.
    void snapshot(Window window, const std::string& file) {
        XWindowAttributes a{};
        if (!XGetWindowAttributes(display_, window, &a)) fail("cannot read a window's size");
        XImage* image = XGetImage(display_, window, 0, 0, static_cast<unsigned>(a.width),
                                  static_cast<unsigned>(a.height), AllPlanes, ZPixmap);
        if (image == nullptr) fail("cannot read a window's pixels");
        std::ofstream out(file, std::ios::binary);
        out << "P6\n" << a.width << ' ' << a.height << "\n255\n";
        for (int y = 0; y < a.height; ++y) {
            for (int x = 0; x < a.width; ++x) {
                const unsigned long p = XGetPixel(image, x, y);
                const char rgb[3] = {static_cast<char>((p & image->red_mask) >> 16),
                                     static_cast<char>((p & image->green_mask) >> 8),
                                     static_cast<char>(p & image->blue_mask)};
                out.write(rgb, 3);
            }
        }
        XDestroyImage(image);
        if (!out) fail("cannot write " + file);
    }

    Window mainWindow() const { return main_; }

    // The pixels of a control's rectangle inside the window.
    std::vector<unsigned long> pixels(const PixelRect& r) {
        XImage* image = XGetImage(display_, main_, r.left, r.top, static_cast<unsigned>(r.width),
                                  static_cast<unsigned>(r.height), AllPlanes, ZPixmap);
        if (image == nullptr) fail("cannot read the window's pixels");
        std::vector<unsigned long> out;
        out.reserve(static_cast<std::size_t>(r.width * r.height));
        for (int y = 0; y < r.height; ++y)
            for (int x = 0; x < r.width; ++x) out.push_back(XGetPixel(image, x, y));
        XDestroyImage(image);
        return out;
    }

    // Waits for the window to draw into `r` something else than `before`;
    // the time of the damage that showed it.
    long long waitForChange(const PixelRect& r, const std::vector<unsigned long>& before) {
        const long long limit = nowNs() + 30'000'000'000LL;
        while (nowNs() < limit) {
            XEvent ev;
            if (!nextEvent(ev, 100) || ev.type != damageEvent_ + XDamageNotify) continue;
            const auto& d = reinterpret_cast<const XDamageNotifyEvent&>(ev);
            const long long at = lastEventNs_;
            if (d.drawable != main_ || !intersects(d.area, r)) continue;
            if (pixels(r) != before) return at;
        }
        fail("the list did not change");
    }

  private:
    struct Mapped {
        Window window;
        long long atNs;
    };

    static bool intersects(const XRectangle& a, const PixelRect& b) {
        return a.x < b.left + b.width && b.left < a.x + a.width && a.y < b.top + b.height &&
               b.top < a.y + a.height;
    }

    // The next event, read as soon as the server sends it; false after
    // `timeoutMs` without one. Damage is watched on every new top-level window.
    bool nextEvent(XEvent& ev, int timeoutMs) {
        if (XPending(display_) == 0) {
            pollfd p{ConnectionNumber(display_), POLLIN, 0};
            if (poll(&p, 1, timeoutMs) <= 0) return false;
            if (XPending(display_) == 0) return false;
        }
        XNextEvent(display_, &ev);
        lastEventNs_ = nowNs();
        if (ev.type == CreateNotify && ev.xcreatewindow.parent == root_) {
            damages_[ev.xcreatewindow.window] =
                XDamageCreate(display_, ev.xcreatewindow.window, XDamageReportRawRectangles);
        } else if (ev.type == DestroyNotify) {
            damages_.erase(ev.xdestroywindow.window);
        }
        return true;
    }

    std::optional<Mapped> waitForMap(int timeoutMs) {
        const long long limit = nowNs() + timeoutMs * 1'000'000LL;
        while (nowNs() < limit) {
            XEvent ev;
            if (!nextEvent(ev, 100)) continue;
            if (ev.type == MapNotify && ev.xmap.event == root_ && !ev.xmap.override_redirect &&
                damages_.count(ev.xmap.window) != 0) {
                return Mapped{ev.xmap.window, lastEventNs_};
            }
        }
        return std::nullopt;
    }

    long long waitForPaint(Window window, int timeoutMs) {
        const long long limit = nowNs() + timeoutMs * 1'000'000LL;
        while (nowNs() < limit) {
            XEvent ev;
            if (!nextEvent(ev, 100) || ev.type != damageEvent_ + XDamageNotify) continue;
            if (reinterpret_cast<const XDamageNotifyEvent&>(ev).drawable == window)
                return lastEventNs_;
        }
        fail("a window was mapped but never painted");
    }

    Display* display_ = nullptr;
    Window root_ = 0, main_ = 0;
    int damageEvent_ = 0;
    int originX_ = 0, originY_ = 0;
    pid_t pid_ = -1;
    long long startNs_ = 0, lastEventNs_ = 0;
    std::map<Window, Damage> damages_;
};

void print(const char* name, long long value) {
    std::printf("%s=%lld\n", name, value);
}

std::string snapshots;  // the prefix of the snapshot files; empty: none

void snapshot(Session& s, Window window, const std::string& name) {
    if (snapshots.empty()) return;
    s.settle();
    s.snapshot(window, snapshots + "-" + name + ".ppm");
}

// One press of CmdOK until its box is painted, the box then answered.
void pressUntilBox(Session& s, const char* what, int press) {
    const PixelRect ok = s.controlRect("CmdOK");
    s.settle();
    const long long cpu0 = processCpuNs(s.pid());
    const long long t0 = nowNs();
    s.click(ok);
    const Session::Box box = s.waitForBox();
    const long long cpu1 = processCpuNs(s.pid());
    const std::string suffix = "_" + std::to_string(press);
    print((std::string(what) + "_box_ns" + suffix).c_str(), box.paintedNs - t0);
    print((std::string(what) + "_map_ns" + suffix).c_str(), box.mappedNs - t0);
    print((std::string(what) + "_cpu_ns" + suffix).c_str(), cpu1 - cpu0);
    snapshot(s, box.window, std::string(what) + "-box" + suffix);
    s.closeBox(box);
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 4) {
        std::fprintf(stderr, "usage: %s PROGRAM FOLDER TEXT [--presses N]\n", argv[0]);
        return 2;
    }
    int presses = 2;
    for (int i = 4; i + 1 < argc; i += 2) {
        if (std::strcmp(argv[i], "--presses") == 0) presses = std::atoi(argv[i + 1]);
        if (std::strcmp(argv[i], "--snapshots") == 0) snapshots = argv[i + 1];
    }
    try {
        Session s(argv[1], argv[2]);
        print("first_paint_ns", s.waitForMainWindow() - s.startNs());

        snapshot(s, s.mainWindow(), "start");
        // The search chosen, the list still empty.
        s.settle();
        s.click(s.controlRect("OptTipo", 3));
        for (int k = 1; k <= presses; ++k) pressUntilBox(s, "empty", k);

        // The data folder opened in Dir1: its entry is the last one.
        const PixelRect dir = s.controlRect("Dir1");
        s.click(dir, 8, 8);
        s.key(XK_End);
        s.settle();
        const PixelRect list = s.controlRect("List1");
        const auto empty = s.pixels(list);
        const long long cpu0 = processCpuNs(s.pid());
        const long long t0 = nowNs();
        s.key(XK_Return);
        const long long filled = s.waitForChange(list, empty);
        print("open_ns", filled - t0);
        print("open_cpu_ns", processCpuNs(s.pid()) - cpu0);
        snapshot(s, s.mainWindow(), "opened");

        s.click(s.controlRect("TxtBuscar"));
        s.type(argv[3]);
        for (int k = 1; k <= presses; ++k) pressUntilBox(s, "search", k);
    } catch (const std::exception& e) {
        std::fprintf(stderr, "morvane_x_driver: %s\n", e.what());
        return 1;
    }
    return 0;
}
