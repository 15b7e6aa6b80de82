// SPDX-License-Identifier: GPL-3.0-or-later
#include "core/AttachmentOpener.h"

#include <QDesktopServices>
#include <QDir>
#include <QSaveFile>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QUrl>

namespace AttachmentOpener {

namespace {

// The run's folder: in the user's runtime directory when there is one (never
// shared with other users), removed when the program ends.
QTemporaryDir &folder()
{
    static QTemporaryDir dir([] {
        QString base = QStandardPaths::writableLocation(QStandardPaths::RuntimeLocation);
        if (base.isEmpty())
            base = QDir::tempPath();
        return base + QStringLiteral("/tarnwick-files-XXXXXX");
    }());
    return dir;
}

// A stored name could hold a path; only its last part is used.
QString safeName(const QString &name)
{
    QString safe = name.section(QLatin1Char('/'), -1).trimmed();
    if (safe.isEmpty() || safe.startsWith(QLatin1Char('.')))
        safe.prepend(QStringLiteral("attachment"));
    return safe;
}

} // namespace

QString open(const FileAttachment &file)
{
    static int opened = 0;
    QTemporaryDir &dir = folder();
    // Each opening gets its own subfolder: two files of one name never meet.
    const QString sub = dir.filePath(QString::number(++opened));
    if (!dir.isValid() || !QDir().mkpath(sub))
        return QStringLiteral("Cannot open \u201c%1\u201d: no private folder to put it in.").arg(file.name);
    QSaveFile out(sub + QLatin1Char('/') + safeName(file.name));
    out.setDirectWriteFallback(false);
    if (!out.open(QIODevice::WriteOnly) || !out.setPermissions(QFileDevice::ReadOwner | QFileDevice::WriteOwner)
        || out.write(file.data) != file.data.size() || !out.commit()) {
        out.cancelWriting();
        return QStringLiteral("Cannot open \u201c%1\u201d: %2.").arg(file.name, out.errorString());
    }
    if (!QDesktopServices::openUrl(QUrl::fromLocalFile(out.fileName())))
        return QStringLiteral("No application opens \u201c%1\u201d.").arg(file.name);
    return {};
}

} // namespace AttachmentOpener
