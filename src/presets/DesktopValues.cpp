// SPDX-License-Identifier: GPL-3.0-or-later
#include "presets/DesktopValues.h"

#include "services/TextGrabber.h"

#include <QClipboard>
#include <QGuiApplication>

TemplateValues desktopValues(const QString &input)
{
    TemplateValues values{input, {}, {}, QDate::currentDate()};
    if (!qobject_cast<QGuiApplication *>(QCoreApplication::instance()))
        return values;
    values.selection = TextGrabber::grabSelectedText().value_or(QString());
    values.clipboard = QGuiApplication::clipboard()->text(QClipboard::Clipboard);
    return values;
}
