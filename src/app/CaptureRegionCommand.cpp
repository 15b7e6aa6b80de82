// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/CaptureRegionCommand.h"

#include "app/RegionSelector.h"

#include <QApplication>
#include <QImage>
#include <QSaveFile>

#include <csignal>
#include <cstdio>
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
    if (argc != 3 || argv[2][0] == '\0' || argv[2][0] == '-') {
        std::fputs("Usage: tarnwick capture-region PATH\n", stderr);
        return 2;
    }
    QApplication app(argc, argv);
    const QString path = QApplication::arguments().at(2);

    RegionSelector selector;
    int status = 1;
    QObject::connect(&selector, &RegionSelector::selected, &app, [&](const QImage &image) {
        if (writePng(image, path))
            status = 0;
        else
            std::fprintf(stderr, "tarnwick: cannot write %s\n", qPrintable(path));
        QApplication::quit();
    });
    QObject::connect(&selector, &RegionSelector::cancelled, &app, &QApplication::quit);
    if (!selector.begin()) {
        std::fputs("tarnwick: cannot grab the screen\n", stderr);
        return 1;
    }
    QApplication::exec();
    return status;
}
