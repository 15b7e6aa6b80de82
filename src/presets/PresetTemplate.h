// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QDate>
#include <QString>

// What a preset's template is filled with.
struct TemplateValues
{
    QString input; // typed after the preset's name
    QString selection; // the highlighted text
    QString clipboard;
    QDate date;
};

namespace PresetTemplate {

// Puts the values in place of {input}, {selection}, {clipboard} and {date}
// (ISO 8601) in one pass: a value is never read again, so text that itself
// holds "{input}" stays as it is, and braces around anything else are kept.
// A template without {input} gets the typed text after a blank line.
QString fill(const QString &promptTemplate, const TemplateValues &values);

// The template waits for text from outside (the selection or the clipboard)
// and neither that nor anything typed is there: sending would ask about nothing.
bool lacksMaterial(const QString &promptTemplate, const TemplateValues &values);

} // namespace PresetTemplate
