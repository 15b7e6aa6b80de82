// SPDX-License-Identifier: GPL-3.0-or-later
#include "support/ProviderProgram.h"

#include <cstdio>

ProviderProgram::ProviderProgram(int &argc, char **argv, const char *description,
                                 const QList<QCommandLineOption> &options)
    : m_app(argc, argv)
{
    m_parser.setApplicationDescription(QString::fromLatin1(description));
    m_parser.addHelpOption();
    m_parser.addOptions(options);
    m_parser.process(m_app);
}

int ProviderProgram::serve(quint16 port, std::function<ScriptedResponse(const RecordedRequest &)> responder)
{
    LoopbackServer server(port);
    if (!server.isListening()) {
        std::fprintf(stderr, "%s: cannot listen on 127.0.0.1:%u\n", qPrintable(QCoreApplication::applicationName()),
                     unsigned(port));
        return 1;
    }
    server.setResponder(std::move(responder));
    std::printf("%s\n", qPrintable(server.baseUrl()));
    std::fflush(stdout);
    return QCoreApplication::exec();
}
