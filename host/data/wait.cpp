// The one place the data layer waits on a socket: bounded, and with the
// window kept painting when a wait is long.

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QThread>
#include <poll.h>

#include "adoqueryimpl.h"

namespace qdl::detail {

namespace {
// A wait shorter than this leaves the event loop alone: the screen's
// actions answer in milliseconds on a healthy link.
constexpr int kPaintAfterMs = 100;
constexpr int kSliceMs = 50;
} // namespace

void keepPainting()
{
    QCoreApplication* app = QCoreApplication::instance();
    if (!app || QThread::currentThread() != app->thread())
        return;
    // No operator input (a click must not start a second action inside the
    // first) and no socket notifiers (notifications are read after).
    QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents | QEventLoop::ExcludeSocketNotifiers);
}

bool waitForSocket(int socket, short events, const QDeadlineTimer& deadline)
{
    QElapsedTimer waited;
    waited.start();
    for (;;) {
        const qint64 left = deadline.remainingTime(); // -1: for ever
        if (left == 0)
            return false;
        int sliceMs = left < 0 ? kSliceMs : int(qMin<qint64>(left, kSliceMs));
        pollfd wait{socket, events, 0};
        const int ready = ::poll(&wait, 1, sliceMs);
        if (ready != 0)
            return true; // ready, or an error the caller's read reports
        if (waited.elapsed() >= kPaintAfterMs)
            keepPainting();
    }
}

} // namespace qdl::detail
