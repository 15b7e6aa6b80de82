// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>
#include <QStringList>

// A long streamed answer for benchmarks: prose with inline Markdown, small code
// blocks, and one code block of `codeLines` lines, cut into `fragments` pieces.
struct SyntheticAnswer
{
    QString text;
    QStringList fragments;
};

SyntheticAnswer makeSyntheticAnswer(int approximateTokens, int fragments, int codeLines);

// Percentile of an unsorted list of durations.
double percentile(QList<double> values, double fraction);
