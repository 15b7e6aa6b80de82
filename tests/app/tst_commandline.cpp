// The command line of the real program: what a start does with its words, how
// it reaches a running instance, where it keeps its socket, what it lets out.
#include "support/IsolatedHome.h"

#include "ProgramRun.h"

#include <QDir>
#include <QFileInfo>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTest>

#include <csignal>
#include <memory>
#include <sys/stat.h>
#include <unistd.h>

namespace {

constexpr int kTimeout = 60000; // generous: a loaded machine and sanitizers
constexpr uid_t kNobody = 65534;

QString sharedFolderName()
{
    return QStringLiteral("tarnwick-") + QString::number(::getuid());
}

} // namespace

class TestCommandLine : public QObject
{
    Q_OBJECT

private:
    std::unique_ptr<IsolatedHome> m_home;

    QString runtimeFolder() const { return m_home->path() + QStringLiteral("/runtime"); }

    QProcessEnvironment environment() const
    {
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("XDG_RUNTIME_DIR"), runtimeFolder());
        env.insert(QStringLiteral("TARNWICK_TRACE_EVENTS"), QStringLiteral("1"));
        env.insert(QStringLiteral("ASAN_OPTIONS"), QStringLiteral("detect_leaks=0"));
        env.remove(QStringLiteral("TARNWICK_ALLOW_CORE_DUMPS"));
        return env;
    }

    // Starts the tray program and waits until it has launched and listens.
    bool startTray(QProcess &tray, QByteArray &trace)
    {
        tray.setProcessEnvironment(environment());
        tray.start(QStringLiteral(TARNWICK_BINARY), {});
        return QTest::qWaitFor([&] {
            trace += tray.readAllStandardError();
            return (trace.contains(" launched\n") && QFileInfo::exists(runtimeFolder() + QStringLiteral("/tarnwick/tarnwick.socket")))
                   || tray.state() == QProcess::NotRunning;
        }, kTimeout) && tray.state() == QProcess::Running;
    }

private Q_SLOTS:
    void init()
    {
        m_home = std::make_unique<IsolatedHome>();
        QVERIFY(QDir().mkpath(runtimeFolder()));
        QFile::setPermissions(runtimeFolder(), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    }

    void cleanup() { m_home.reset(); }

    void unknownWordsGetTheUsage_data()
    {
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<QString>("named");
        QTest::newRow("mistyped command") << QStringList{"histroy"} << QStringLiteral("histroy");
        QTest::newRow("word after a request") << QStringList{"--toggle", "open"} << QStringLiteral("open");
        QTest::newRow("word after a Qt option's value")
            << QStringList{"-platform", "offscreen", "setings"} << QStringLiteral("setings");
    }

    void unknownWordsGetTheUsage()
    {
        QFETCH(QStringList, arguments);
        QFETCH(QString, named);
        const ProgramRun result = runProgram(arguments, environment());
        QCOMPARE(result.exitCode, 2);
        QVERIFY2(result.err.contains("unknown command \"" + named.toUtf8() + "\""), result.err.constData());
        QVERIFY(result.err.contains("Usage: tarnwick"));
        QVERIFY(result.out.isEmpty());
        // Nothing started: no instance took the lock.
        QVERIFY(!QFileInfo::exists(runtimeFolder() + QStringLiteral("/tarnwick/tarnwick.lock")));
    }

    // Every command turns away words it cannot take with 2 and its usage line.
    void badArgumentsGetTwoAndTheUsage_data()
    {
        QTest::addColumn<QStringList>("arguments");
        QTest::newRow("ask, unknown option") << QStringList{"ask", "--bogus", "hi"};
        QTest::newRow("ask, option without its value") << QStringList{"ask", "--model"};
        QTest::newRow("ask, unknown provider") << QStringList{"ask", "--provider", "claude", "hi"};
        QTest::newRow("models, unknown option") << QStringList{"models", "--bogus"};
        QTest::newRow("models, stray word") << QStringList{"models", "all"};
        QTest::newRow("history, unknown option") << QStringList{"history", "--bogus"};
        QTest::newRow("history, show without id") << QStringList{"history", "show"};
        QTest::newRow("set-key, no account") << QStringList{"set-key"};
        QTest::newRow("capture-region, no path") << QStringList{"capture-region"};
        QTest::newRow("capture-region, an option") << QStringList{"capture-region", "--bogus"};
        QTest::newRow("tray, unknown option") << QStringList{"--bogus"};
    }

    void badArgumentsGetTwoAndTheUsage()
    {
        QFETCH(QStringList, arguments);
        QProcessEnvironment env = environment();
        env.remove(QStringLiteral("DISPLAY"));
        const ProgramRun result = runProgram(arguments, env);
        QCOMPARE(result.exitCode, 2);
        QVERIFY2(result.err.toLower().contains("usage: tarnwick"), result.err.constData());
        QVERIFY(result.out.isEmpty());
    }

    void knownCommandsStillRun_data()
    {
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<QByteArray>("output");
        QTest::newRow("help") << QStringList{"--help"} << QByteArray("Usage: tarnwick");
        QTest::newRow("short help") << QStringList{"-h"} << QByteArray("Usage: tarnwick");
        QTest::newRow("version") << QStringList{"--version"} << QByteArray("tarnwick " TARNWICK_VERSION "\n");
    }

    void knownCommandsStillRun()
    {
        QFETCH(QStringList, arguments);
        QFETCH(QByteArray, output);
        const ProgramRun result = runProgram(arguments, environment());
        QCOMPARE(result.exitCode, 0);
        QVERIFY2(result.out.startsWith(output), result.out.constData());
    }

    // A frozen instance (stopped here) gets the request once and runs it once
    // when it recovers; the start reports the silence instead of resending.
    void busyInstanceGetsTheRequestOnce()
    {
        QProcess tray;
        QByteArray trace;
        QVERIFY2(startTray(tray, trace), trace.constData());
        const pid_t pid = pid_t(tray.processId());
        QCOMPARE(::kill(pid, SIGSTOP), 0);
        auto resume = qScopeGuard([pid] { ::kill(pid, SIGCONT); });

        const ProgramRun toggle = runProgram({"--toggle"}, environment());
        QCOMPARE(toggle.exitCode, 1);
        QVERIFY2(toggle.err.contains("did not answer"), toggle.err.constData());

        QCOMPARE(::kill(pid, SIGCONT), 0);
        QCOMPARE(runProgram({"--open"}, environment()).exitCode, 0);
        // Requests are served in the order they came: the toggle ran before the open.
        QVERIFY(QTest::qWaitFor([&] {
            trace += tray.readAllStandardError();
            return trace.contains(" request open\n");
        }, kTimeout));
        QCOMPARE(trace.count(" request toggle\n"), 1);
        QCOMPARE(tray.state(), QProcess::Running);
        tray.terminate();
        QVERIFY(tray.waitForFinished(kTimeout));
    }

    // Without XDG_RUNTIME_DIR the folder sits in the shared temporary folder,
    // where anyone may create its name first.
    void plantedRuntimeFolderIsReported_data()
    {
        QTest::addColumn<QString>("planted");
        QTest::addColumn<QByteArray>("reason");
        QTest::newRow("another user's folder") << QStringLiteral("folder") << QByteArray("(uid 65534), not to you");
        QTest::newRow("symbolic link") << QStringLiteral("link") << QByteArray("a symbolic link");
        QTest::newRow("plain file") << QStringLiteral("file") << QByteArray("is not a folder (a file");
    }

    void plantedRuntimeFolderIsReported()
    {
        QFETCH(QString, planted);
        QFETCH(QByteArray, reason);
        QTemporaryDir shared;
        QVERIFY(::chmod(QFile::encodeName(shared.path()).constData(), 01777) == 0);
        const QString name = shared.filePath(sharedFolderName());
        const QString target = shared.filePath(QStringLiteral("elsewhere"));
        QVERIFY(QDir().mkdir(target));
        if (planted == QLatin1String("folder")) {
            if (::geteuid() != 0)
                QSKIP("giving a folder to another user needs root");
            QVERIFY(QDir().mkdir(name));
            QVERIFY(::chmod(QFile::encodeName(name).constData(), 0777) == 0);
            QVERIFY(::chown(QFile::encodeName(name).constData(), kNobody, kNobody) == 0);
        } else if (planted == QLatin1String("link")) {
            QVERIFY(QFile::link(target, name));
        } else {
            QFile file(name);
            QVERIFY(file.open(QIODevice::WriteOnly));
        }

        QProcessEnvironment env = environment();
        env.remove(QStringLiteral("XDG_RUNTIME_DIR"));
        env.insert(QStringLiteral("TMPDIR"), shared.path());
        env.insert(QStringLiteral("USER"), QStringLiteral("someone"));
        const ProgramRun result = runProgram({"--toggle"}, env);
        QCOMPARE(result.exitCode, 1);
        QVERIFY2(result.err.contains(name.toUtf8()) && result.err.contains(reason), result.err.constData());
        // What was planted is left as it was, and nothing went through the link.
        QVERIFY(QDir(target).isEmpty());
        if (planted == QLatin1String("folder")) {
            QCOMPARE(QFileInfo(name).ownerId(), kNobody);
            QVERIFY(QDir(name).isEmpty());
        }
    }

    // What the user's own folder looks like after a start without XDG_RUNTIME_DIR.
    void sharedRuntimeFolderIsPrivate()
    {
        QTemporaryDir shared;
        const QString name = shared.filePath(sharedFolderName());
        QVERIFY(QDir().mkdir(name));
        QVERIFY(::chmod(QFile::encodeName(name).constData(), 0755) == 0);
        QProcessEnvironment env = environment();
        env.remove(QStringLiteral("XDG_RUNTIME_DIR"));
        env.insert(QStringLiteral("TMPDIR"), shared.path());
        QProcess tray;
        tray.setProcessEnvironment(env);
        tray.start(QStringLiteral(TARNWICK_BINARY), {});
        QVERIFY(QTest::qWaitFor([&] { return QFileInfo::exists(name + QStringLiteral("/tarnwick.socket")); }, kTimeout));
        struct stat info{};
        QCOMPARE(::lstat(QFile::encodeName(name).constData(), &info), 0);
        QCOMPARE(info.st_mode & 07777, mode_t(0700));
        QCOMPARE(runProgram({"--open"}, env).exitCode, 0);
        tray.terminate();
        QVERIFY(tray.waitForFinished(kTimeout));
    }

    // A core dump or a same-user debugger would read the keys in memory. As
    // root the program runs as another user here: root may read any process,
    // and /proc shows a process that may not be dumped as owned by root.
    void keysStayOutOfCoreDumps_data()
    {
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<bool>("allowDumps");
        QTest::newRow("tray program") << QStringList{} << false;
        QTest::newRow("ask") << QStringList{"ask"} << false;
        QTest::newRow("debugging allowed") << QStringList{"ask"} << true;
    }

    void keysStayOutOfCoreDumps()
    {
        QFETCH(QStringList, arguments);
        QFETCH(bool, allowDumps);
        const bool asRoot = ::geteuid() == 0;
        const uid_t user = asRoot ? kNobody : ::geteuid();
        if (asRoot) {
            for (const QString &path : {m_home->path(), runtimeFolder()})
                QVERIFY(::chown(QFile::encodeName(path).constData(), kNobody, kNobody) == 0);
        }
        QProcessEnvironment env = environment();
        if (allowDumps)
            env.insert(QStringLiteral("TARNWICK_ALLOW_CORE_DUMPS"), QStringLiteral("1"));
        QProcess process;
        process.setProcessEnvironment(env);
        if (asRoot)
            process.start(QStringLiteral("setpriv"), QStringList{QStringLiteral("--reuid=65534"), QStringLiteral("--regid=65534"),
                                                                 QStringLiteral("--clear-groups"), QStringLiteral(TARNWICK_BINARY)}
                                                         + arguments);
        else
            process.start(QStringLiteral(TARNWICK_BINARY), arguments);
        QVERIFY(process.waitForStarted());
        auto stop = qScopeGuard([&] {
            process.kill();
            process.waitForFinished();
        });
        // Past start-up: the tray program has launched, `ask` waits in read(2) for its prompt.
        const QString proc = QStringLiteral("/proc/%1/").arg(process.processId());
        QByteArray trace;
        QVERIFY(QTest::qWaitFor([&] {
            if (arguments.isEmpty()) {
                trace += process.readAllStandardError();
                return trace.contains(" launched\n");
            }
            QFile syscall(proc + QStringLiteral("syscall"));
            return syscall.open(QIODevice::ReadOnly) && syscall.readAll().startsWith("0 0x0 ");
        }, kTimeout));
        QCOMPARE(QFileInfo(proc + QStringLiteral("status")).ownerId(), allowDumps ? user : 0u);
        QFile limits(proc + QStringLiteral("limits"));
        QVERIFY(limits.open(QIODevice::ReadOnly));
        const bool noCore = QRegularExpression(QStringLiteral("Max core file size\\s+0\\s+0\\s"))
                                .match(QString::fromLatin1(limits.readAll())).hasMatch();
        QCOMPARE(noCore, !allowDumps);
        QCOMPARE(process.state(), QProcess::Running);
    }
};

QTEST_GUILESS_MAIN(TestCommandLine)
#include "tst_commandline.moc"
