// SPDX-License-Identifier: GPL-3.0-or-later
// Runs one KeychainHelper call in a process of its own, so a test can point it
// at another session bus (GLib picks the bus once per process).
//   keychain_probe save ACCOUNT   value from standard input; exit 1 when not stored
//   keychain_probe load ACCOUNT   value to standard output; exit 3 when there is none,
//                                 4 and the reason on standard error when the keyring failed
//   keychain_probe store          prints SecretService or FallbackFile
#include "services/KeychainHelper.h"

#include <QCoreApplication>
#include <QFile>
#include <QTextStream>

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    const QStringList args = app.arguments().mid(1);
    QFile out;
    out.open(stdout, QIODevice::WriteOnly);
    if (args.value(0) == QLatin1String("save") && args.size() == 2) {
        QFile in;
        in.open(stdin, QIODevice::ReadOnly);
        const Result<> saved = KeychainHelper::save(args[1], QString::fromUtf8(in.readAll()));
        if (saved)
            return 0;
        QTextStream(stderr) << saved.message() << '\n';
        return 1;
    }
    if (args.value(0) == QLatin1String("load") && args.size() == 2) {
        const KeychainHelper::Lookup found = KeychainHelper::lookup(args[1]);
        if (!found.problem.isEmpty()) {
            QTextStream(stderr) << found.problem << '\n';
            return 4;
        }
        if (!found.value)
            return 3;
        out.write(found.value->toUtf8());
        return 0;
    }
    if (args.value(0) == QLatin1String("store") && args.size() == 1) {
        out.write(KeychainHelper::store() == KeychainHelper::Store::SecretService ? "SecretService" : "FallbackFile");
        return 0;
    }
    return 2;
}
