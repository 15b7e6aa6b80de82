// SPDX-License-Identifier: GPL-3.0-or-later
#include "services/ScreenshotPortalRequest.h"

#include "platform/portal/PortalRequest.h"

#include <QFile>
#include <QUrl>

namespace {

bool moveFile(const QString &from, const QString &to)
{
    QFile::remove(to);
    if (QFile::rename(from, to))
        return true;
    // Across file systems a rename fails; copy, then drop the portal's file.
    if (!QFile::copy(from, to))
        return false;
    QFile::remove(from);
    return true;
}

} // namespace

ScreenshotPortalRequest::ScreenshotPortalRequest(QString outputPath, QObject *parent)
    : QObject(parent)
    , m_outputPath(std::move(outputPath))
{
}

void ScreenshotPortalRequest::start()
{
    QDBusMessage call = QDBusMessage::createMethodCall(PortalRequest::service, PortalRequest::path,
                                                       QStringLiteral("org.freedesktop.portal.Screenshot"),
                                                       QStringLiteral("Screenshot"));
    call << QString()
         << QVariantMap{
                {QStringLiteral("interactive"), true},
                {QStringLiteral("modal"), true},
            };
    auto *request = new PortalRequest(call, this);
    connect(request, &PortalRequest::finished, this, [this, request](uint response, const QVariantMap &results) {
        request->deleteLater();
        const QUrl uri(results.value(QStringLiteral("uri")).toString());
        Q_EMIT done(response == 0 && uri.isLocalFile() && moveFile(uri.toLocalFile(), m_outputPath));
    });
    request->start();
}
