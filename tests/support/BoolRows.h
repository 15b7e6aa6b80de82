// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QTest>

// The rows of a test run twice: once without a condition and once with it.
inline void addBoolRows(const char *column, const char *without, const char *with)
{
    QTest::addColumn<bool>(column);
    QTest::newRow(without) << false;
    QTest::newRow(with) << true;
}
