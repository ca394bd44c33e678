// Preloaded into a Qt Widgets program (LD_PRELOAD) to time its start-up the
// same way for every program: when the application object is created, an
// event filter waits for the first paint of a top-level window; once that
// paint is done it prints the monotonic clock in nanoseconds,
// "first_paint_ns=N", and the process's CPU time so far on stderr, and ends
// the process. The caller takes the
// clock just before starting the process, so the difference is the time from
// process start to the window's first paint. The program itself is not
// changed.
#include <unistd.h>

#include <QCoreApplication>
#include <QEvent>
#include <QTimer>
#include <QWidget>
#include <chrono>
#include <cstdio>
#include <ctime>

namespace {

// steady_clock is CLOCK_MONOTONIC on Linux, the clock the caller reads.
long long monotonicNs() {
    return std::chrono::duration_cast<std::chrono::nanoseconds>(
               std::chrono::steady_clock::now().time_since_epoch())
        .count();
}

// CPU time of the whole process so far: the start-up's cost apart from the
// share of a busy machine that other processes take.
long long processCpuNs() {
    return static_cast<long long>(std::clock()) * (1000000000LL / CLOCKS_PER_SEC);
}

class FirstPaint : public QObject {
  public:
    using QObject::QObject;

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (!seen_ && event->type() == QEvent::Paint) {
            auto* widget = qobject_cast<QWidget*>(watched);
            if (widget != nullptr && widget->isWindow()) {
                seen_ = true;
                // Queued: runs once the paint that is starting has finished,
                // children included, and the frame has been handed on.
                QTimer::singleShot(0, [] {
                    std::fprintf(stderr, "first_paint_ns=%lld first_paint_cpu_ns=%lld\n",
                                 monotonicNs(), processCpuNs());
                    std::fflush(stderr);
                    ::_exit(0);
                });
            }
        }
        return false;
    }

  private:
    bool seen_ = false;
};

void installFirstPaintFilter() {
    QCoreApplication::instance()->installEventFilter(new FirstPaint(QCoreApplication::instance()));
}

}  // namespace

Q_COREAPP_STARTUP_FUNCTION(installFirstPaintFilter)
