// SPDX-License-Identifier: GPL-3.0-or-later
#include "presets/PresetTemplate.h"

#include <optional>

namespace PresetTemplate {

namespace {

const QString kInput = QStringLiteral("{input}");
const QString kSelection = QStringLiteral("{selection}");
const QString kClipboard = QStringLiteral("{clipboard}");
const QString kDate = QStringLiteral("{date}");

std::optional<QString> valueOf(QStringView placeholder, const TemplateValues &values)
{
    if (placeholder == kInput)
        return values.input;
    if (placeholder == kSelection)
        return values.selection;
    if (placeholder == kClipboard)
        return values.clipboard;
    if (placeholder == kDate)
        return values.date.toString(Qt::ISODate);
    return std::nullopt;
}

} // namespace

QString fill(const QString &promptTemplate, const TemplateValues &values)
{
    QString out;
    out.reserve(promptTemplate.size() + values.input.size() + values.selection.size());
    qsizetype at = 0;
    while (at < promptTemplate.size()) {
        const qsizetype open = promptTemplate.indexOf(QLatin1Char('{'), at);
        if (open < 0)
            break;
        const qsizetype close = promptTemplate.indexOf(QLatin1Char('}'), open);
        if (close < 0)
            break;
        // "{{input}" keeps its first brace: the placeholder starts at the last "{".
        const qsizetype start = promptTemplate.lastIndexOf(QLatin1Char('{'), close);
        out += QStringView(promptTemplate).mid(at, start - at);
        const QStringView placeholder = QStringView(promptTemplate).mid(start, close - start + 1);
        if (const std::optional<QString> value = valueOf(placeholder, values))
            out += *value;
        else
            out += placeholder;
        at = close + 1;
    }
    out += QStringView(promptTemplate).mid(at);

    if (!promptTemplate.contains(kInput) && !values.input.isEmpty()) {
        if (!out.trimmed().isEmpty())
            out = out.trimmed() + QStringLiteral("\n\n");
        else
            out.clear();
        out += values.input;
    }
    return out;
}

bool lacksMaterial(const QString &promptTemplate, const TemplateValues &values)
{
    const bool wantsSelection = promptTemplate.contains(kSelection);
    const bool wantsClipboard = promptTemplate.contains(kClipboard);
    if (!wantsSelection && !wantsClipboard)
        return false;
    return values.input.trimmed().isEmpty() && (!wantsSelection || values.selection.trimmed().isEmpty())
        && (!wantsClipboard || values.clipboard.trimmed().isEmpty());
}

} // namespace PresetTemplate
