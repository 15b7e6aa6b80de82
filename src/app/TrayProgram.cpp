// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/TrayProgram.h"

#include "app/AppDelegate.h"
#include "app/InstanceRequest.h"
#include "app/SingleInstance.h"
#include "app/StandardError.h"
#include "platform/AppPaths.h"
#include "platform/InterruptNotifier.h"
#include "platform/WindowActivation.h"

#include <QApplication>
#include <QIcon>
#include <QTimer>

#include <csignal>
#include <cstring>
#include <optional>

namespace {

constexpr const char *kRequests[] = {"toggle", "open", "screenshot", "settings", "dictate"};

// The request named on the command line, empty for none; nullopt when the
// arguments name something else. Qt's own arguments (single dash) pass.
std::optional<QByteArray> requestFromArguments(int argc, char **argv)
{
    QByteArray request;
    for (int i = 1; i < argc; ++i) {
        if (std::strncmp(argv[i], "--", 2) != 0)
            continue;
        const char *name = argv[i] + 2;
        bool known = false;
        for (const char *candidate : kRequests)
            known = known || std::strcmp(name, candidate) == 0;
        if (!known || (!request.isEmpty() && request != name)) {
            StandardError::tell(
                QStringLiteral("tarnwick: unknown or conflicting option %1\n"
                               "Usage: tarnwick [--toggle | --open | --screenshot | --settings | --dictate]")
                    .arg(QString::fromLocal8Bit(argv[i])));
            return std::nullopt;
        }
        request = name;
    }
    return request;
}

} // namespace

int runTrayProgram(int &argc, char **argv)
{
    const std::optional<QByteArray> request = requestFromArguments(argc, argv);
    if (!request)
        return 2;

    SingleInstance instance(AppPaths::runtimeDir());
    // A second start without arguments opens the launcher of the first. The
    // desktop's token for this start goes along, so the panel may take the focus.
    const InstanceRequest forwarded{QString::fromLatin1(request->isEmpty() ? QByteArray("open") : *request),
                                    qEnvironmentVariable("XDG_ACTIVATION_TOKEN")};
    switch (instance.acquireOrForward(forwarded.encode())) {
    case SingleInstance::Outcome::Forwarded:
        return 0;
    case SingleInstance::Outcome::Refused:
        return StandardError::fail(1, QStringLiteral("tarnwick: the running Tarnwick refused the request"));
    case SingleInstance::Outcome::Unanswered:
        return StandardError::fail(1,
                                   QStringLiteral("tarnwick: the running Tarnwick did not answer within %1 seconds; "
                                                  "it may still carry out the request when it recovers")
                                       .arg(SingleInstance::replyTimeoutMs / 1000));
    case SingleInstance::Outcome::Failed:
        if (!instance.problem().isEmpty()) {
            return StandardError::fail(
                1,
                QStringLiteral("tarnwick: cannot start: %1\nSet XDG_RUNTIME_DIR to a private folder of yours.")
                    .arg(instance.problem()));
        }
        return StandardError::fail(1, QStringLiteral("tarnwick: another Tarnwick is running but takes no requests"));
    case SingleInstance::Outcome::Primary:
        break;
    }

    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Tarnwick"));
    QApplication::setDesktopFileName(QStringLiteral("tarnwick"));
    QApplication::setWindowIcon(QIcon(QStringLiteral(":/tarnwick/tarnwick.svg")));
    QApplication::setQuitOnLastWindowClosed(false);

    // A file size limit then fails the history write, which is reported, instead of killing us.
    std::signal(SIGXFSZ, SIG_IGN);

    AppDelegate delegate;
    delegate.start();
    // A session logging out sends SIGTERM: quit as the menu does, flushing the history, without asking.
    InterruptNotifier interrupt;
    QObject::connect(&interrupt, &InterruptNotifier::interrupted, &delegate, &AppDelegate::terminate);
    const auto handle = [&delegate](const QString &line) {
        const InstanceRequest request = InstanceRequest::decode(line);
        WindowActivation::holdToken(request.activationToken);
        return delegate.handleRequest(request.name);
    };
    if (!instance.listen(handle))
        StandardError::tell(QStringLiteral("tarnwick: cannot listen on %1; later starts cannot reach this one")
                                .arg(instance.socketPath()));
    const QString first = request->isEmpty() ? QStringLiteral("start") : QString::fromLatin1(*request);
    QTimer::singleShot(0, &delegate, [&delegate, first] { delegate.handleRequest(first); });
    return QApplication::exec();
}
