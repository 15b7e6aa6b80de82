// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QByteArray>
#include <QList>
#include <QtGlobal>

// A child program run to its end, with the kernel's figures for it.
struct ChildRun
{
    double seconds = 0;
    double peakMib = 0;
    int exitCode = -1;
};

// Runs the words (the program first) with standard output thrown away, and
// standard error too when quiet; a cap above 0 limits its address space.
ChildRun runChild(const QList<QByteArray> &words, bool quiet, qint64 memoryCap = 0);

// A field of /proc/PID/status (VmRSS, VmHWM…) in MiB, or -1.
double statusMib(qint64 pid, const QByteArray &field);
