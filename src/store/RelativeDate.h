// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QDateTime>
#include <QString>

// Short English wording of a date relative to now, for history rows:
// "now", "5 min. ago", "2 hr. ago", "yesterday", "3 days ago", "in 2 days".
QString relativeDateText(const QDateTime &date, const QDateTime &now = QDateTime::currentDateTime());
