// SPDX-License-Identifier: GPL-3.0-or-later
#include "store/RelativeDate.h"

#include <cstdlib>

namespace {

QString phrase(qint64 amount, bool past, const char *unit)
{
    const QString text = QString::number(amount) + QLatin1Char(' ') + QLatin1String(unit);
    return past ? text + QStringLiteral(" ago") : QStringLiteral("in ") + text;
}

// Whole calendar months from one day to another, counting only months fully reached.
qint64 monthsBetween(QDate from, QDate to)
{
    qint64 months = qint64(to.year() - from.year()) * 12 + (to.month() - from.month());
    if (months > 0 && to.day() < from.day())
        --months;
    else if (months < 0 && to.day() > from.day())
        ++months;
    return months;
}

} // namespace

QString relativeDateText(const QDateTime &date, const QDateTime &now)
{
    const qint64 seconds = now.secsTo(date);
    const bool past = seconds < 0;
    const qint64 distance = std::llabs(seconds);
    if (distance < 60)
        return QStringLiteral("now");
    if (distance < 3600)
        return phrase(distance / 60, past, "min.");
    if (distance < 86400)
        return phrase(distance / 3600, past, "hr.");

    const QDate today = now.toLocalTime().date();
    const QDate day = date.toLocalTime().date();
    qint64 days = std::llabs(today.daysTo(day));
    if (days == 0)
        days = 1; // a day longer than 24 hours at a clock change
    if (days == 1)
        return past ? QStringLiteral("yesterday") : QStringLiteral("tomorrow");
    if (days < 7)
        return phrase(days, past, "days");
    const qint64 months = std::llabs(monthsBetween(today, day));
    if (months == 0) {
        const qint64 weeks = days / 7;
        if (weeks == 1)
            return past ? QStringLiteral("last week") : QStringLiteral("next week");
        return phrase(weeks, past, "wk.");
    }
    if (months < 12) {
        if (months == 1)
            return past ? QStringLiteral("last month") : QStringLiteral("next month");
        return phrase(months, past, "mo.");
    }
    const qint64 years = months / 12;
    if (years == 1)
        return past ? QStringLiteral("last year") : QStringLiteral("next year");
    return phrase(years, past, "yr.");
}
