// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "support/LoopbackServer.h"

#include <QCommandLineOption>
#include <QCommandLineParser>
#include <QCoreApplication>
#include <QList>

// What the stand-in provider programs share: their command line (--help and
// their own options) and serving on 127.0.0.1 until killed, with the base URL
// on the first line of standard output for whoever started them.
class ProviderProgram
{
public:
    ProviderProgram(int &argc, char **argv, const char *description, const QList<QCommandLineOption> &options);

    const QCommandLineParser &commandLine() const { return m_parser; }
    // Runs until killed; 1 when the port cannot be had.
    int serve(quint16 port, std::function<ScriptedResponse(const RecordedRequest &)> responder);

private:
    QCoreApplication m_app;
    QCommandLineParser m_parser;
};
