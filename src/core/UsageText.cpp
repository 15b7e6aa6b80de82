// SPDX-License-Identifier: GPL-3.0-or-later
#include "core/UsageText.h"

#include <QLocale>

#include <cmath>

namespace UsageText {

QString count(qint64 value)
{
    static const QLocale grouped(QLocale::English, QLocale::UnitedStates);
    return grouped.toString(value);
}

QString dollars(double cost)
{
    if (cost >= 1 || cost <= 0)
        return QStringLiteral("$") + QString::number(qMax(0.0, cost), 'f', 2);
    const int decimals = qBound(2, 1 - int(std::floor(std::log10(cost))), 8);
    QString text = QString::number(cost, 'f', decimals);
    while (text.endsWith(QLatin1Char('0')) && text.size() - text.indexOf(QLatin1Char('.')) > 3)
        text.chop(1);
    return QStringLiteral("$") + text;
}

QString line(const LLMUsage &usage)
{
    QString text = count(usage.totalTokens()) + QStringLiteral(" tokens");
    if (usage.cost)
        text += QStringLiteral(" · ") + dollars(*usage.cost);
    return text;
}

std::optional<LLMUsage> total(const QList<ChatMessage> &messages)
{
    std::optional<LLMUsage> sum;
    for (const ChatMessage &message : messages) {
        if (!message.usage)
            continue;
        if (!sum)
            sum = LLMUsage();
        sum->promptTokens += message.usage->promptTokens;
        sum->answerTokens += message.usage->answerTokens;
        sum->thoughtTokens += message.usage->thoughtTokens;
        if (message.usage->cost)
            sum->cost = sum->cost.value_or(0) + *message.usage->cost;
    }
    return sum;
}

QString summary(const LLMUsage &usage)
{
    QString text = QStringLiteral("tokens: prompt %1, answer %2, thoughts %3")
                       .arg(usage.promptTokens)
                       .arg(usage.answerTokens)
                       .arg(usage.thoughtTokens);
    if (usage.cost)
        text += QStringLiteral("; cost ") + dollars(*usage.cost);
    return text;
}

} // namespace UsageText
