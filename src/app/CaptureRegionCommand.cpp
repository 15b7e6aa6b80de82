// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/CaptureRegionCommand.h"

#include "app/RegionSelector.h"
#include "app/StandardError.h"

#include <QApplication>
#include <QImage>
#include <QSaveFile>

#include <csignal>
#include <sys/prctl.h>

namespace {

bool writePng(const QImage &image, const QString &path)
{
    QSaveFile file(path);
    file.setDirectWriteFallback(false);
    if (!file.open(QIODevice::WriteOnly))
        return false;
    file.setPermissions(QFileDevice::ReadOwner | QFileDevice::WriteOwner);
    if (!image.save(&file, "PNG")) {
        file.cancelWriting();
        return false;
    }
    return file.commit();
}

} // namespace

int runCaptureRegionCommand(int &argc, char **argv)
{
    // A full-screen selector must not outlive the program that asked for it.
    prctl(PR_SET_PDEATHSIG, SIGTERM);
    // Checked before the display is opened, which fails without one.
    if (argc != 3 || argv[2][0] == '\0' || argv[2][0] == '-')
        return StandardError::fail(2, QStringLiteral("Usage: tarnwick capture-region PATH"));
    QApplication app(argc, argv);
    const QString path = QApplication::arguments().at(2);

    RegionSelector selector;
    int status = 1;
    QObject::connect(&selector, &RegionSelector::selected, &app, [&](const QImage &image) {
        if (writePng(image, path))
            status = 0;
        else
            StandardError::tell(QStringLiteral("tarnwick: cannot write ") + path);
        QApplication::quit();
    });
    QObject::connect(&selector, &RegionSelector::cancelled, &app, &QApplication::quit);
    if (!selector.begin())
        return StandardError::fail(1, QStringLiteral("tarnwick: cannot grab the screen"));
    QApplication::exec();
    return status;
}
