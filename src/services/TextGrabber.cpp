// SPDX-License-Identifier: GPL-3.0-or-later
#include "services/TextGrabber.h"

#include <QClipboard>
#include <QGuiApplication>

std::optional<QString> TextGrabber::grabSelectedText()
{
    // Without a GUI application there is no display to ask.
    if (!qobject_cast<QGuiApplication *>(QCoreApplication::instance()))
        return std::nullopt;
    QClipboard *clipboard = QGuiApplication::clipboard();
    if (!clipboard->supportsSelection() || clipboard->ownsSelection())
        return std::nullopt;
    const QString text = clipboard->text(QClipboard::Selection);
    if (text.trimmed().isEmpty())
        return std::nullopt;
    return text;
}
