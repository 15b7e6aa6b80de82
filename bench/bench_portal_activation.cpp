// A desktop shortcut's activation through the real xdg-desktop-portal to the
// panel's first frame on screen, on a private X server whose window manager
// holds Alt+Space (so the portal holds the launch hotkey). Beside it, the
// start to the desktop's answer (hotkey active).
#include "support/PortalDesktop.h"
#include "support/TarnwickProcess.h"
#include "support/XSession.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QThread>

#include <algorithm>
#include <cstdio>
#include <ctime>
#include <functional>

namespace {

constexpr int kActivations = 20;

double nowMs()
{
    timespec now{};
    clock_gettime(CLOCK_MONOTONIC, &now);
    return double(now.tv_sec) * 1e3 + double(now.tv_nsec) / 1e6;
}

bool waitFor(const std::function<bool()> &condition, int timeoutMs = 30000)
{
    QElapsedTimer clock;
    clock.start();
    while (!condition()) {
        if (clock.elapsed() > timeoutMs)
            return false;
        QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
        QThread::usleep(500);
    }
    return true;
}

void printSeries(const char *what, QList<double> values)
{
    std::sort(values.begin(), values.end());
    if (values.isEmpty())
        return;
    std::printf("%-44s median %7.1f ms   min %7.1f   max %7.1f   (n=%lld)\n", what, values[values.size() / 2],
                values.first(), values.last(), qlonglong(values.size()));
}

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    XSession session{QStringLiteral(OPENBOX_RC_ALT_SPACE)};
    if (!session.problem().isEmpty()) {
        std::fprintf(stderr, "no X session: %s\n", qPrintable(session.problem()));
        return 1;
    }
    PortalDesktop desktop;
    if (!desktop.problem().isEmpty()) {
        std::fprintf(stderr, "no portal: %s\n", qPrintable(desktop.problem()));
        return 1;
    }
    TarnwickProcess tarnwick(session);
    const double started = nowMs();
    tarnwick.start();
    if (!waitFor([&] { return tarnwick.timeOf(QStringLiteral("hotkey-launch-active")) > 0; })) {
        std::fprintf(stderr, "the portal did not bind the launch hotkey\n");
        return 1;
    }
    std::printf("%-44s %7.1f ms\n", "start to launch hotkey bound by the portal",
                tarnwick.timeOf(QStringLiteral("hotkey-launch-active")) - started);

    QList<double> activationToFrame;
    const QString exposed = QStringLiteral("launcher-exposed");
    for (int i = 0; i < kActivations; ++i) {
        const int before = tarnwick.count(exposed);
        const double activated = nowMs();
        desktop.activate(QStringLiteral("launch"), QStringLiteral("bench-token"));
        if (!waitFor([&] { return tarnwick.count(exposed) > before; })) {
            std::fprintf(stderr, "the panel did not show\n");
            return 1;
        }
        activationToFrame << tarnwick.timeOf(exposed, before) - activated;
        desktop.activate(QStringLiteral("launch"));
        waitFor([&] { return tarnwick.timeOf(QStringLiteral("launcher-hidden"), i) > 0; });
    }
    printSeries("portal activation to panel's first frame", activationToFrame);
    return 0;
}
