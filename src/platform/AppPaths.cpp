// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/AppPaths.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QScopeGuard>
#include <QStandardPaths>

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

namespace AppPaths {

namespace {

QString userName(uid_t uid)
{
    const passwd *entry = ::getpwuid(uid);
    const QString number = QStringLiteral("uid %1").arg(uid);
    return entry ? QStringLiteral("%1 (%2)").arg(QString::fromLocal8Bit(entry->pw_name), number) : number;
}

QString systemError(int error)
{
    return QString::fromLocal8Bit(std::strerror(error));
}

} // namespace

QString configDir()
{
    return QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation) + QStringLiteral("/Tarnwick");
}

QString dataDir()
{
    return QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation) + QStringLiteral("/Tarnwick");
}

QString runtimeDir()
{
    const QString runtime = qEnvironmentVariable("XDG_RUNTIME_DIR");
    if (!runtime.isEmpty() && QFileInfo(runtime).isDir())
        return runtime + QStringLiteral("/tarnwick");
    // The uid, not $USER: the name in the environment may be missing or anyone's.
    return QDir::tempPath() + QStringLiteral("/tarnwick-") + QString::number(::getuid());
}

Result<> ensurePrivateDir(const QString &path)
{
    const auto fail = [](const QString &why) { return Result<>::failure(why); };
    const QString parent = QFileInfo(path).absolutePath();
    if (!QDir().mkpath(parent))
        return fail(QStringLiteral("cannot create the folder %1").arg(parent));
    const QByteArray native = QFile::encodeName(path);
    if (::mkdir(native.constData(), 0700) != 0 && errno != EEXIST)
        return fail(QStringLiteral("cannot create the folder %1: %2").arg(path, systemError(errno)));

    // Checked and tightened through one descriptor, so a name swapped in
    // between is never followed; a shared folder such as /tmp lets anyone
    // create the name first.
    const int fd = ::open(native.constData(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
    if (fd < 0) {
        const int error = errno;
        struct stat link
        {
        };
        if (::lstat(native.constData(), &link) == 0 && !S_ISDIR(link.st_mode))
            return fail(QStringLiteral("%1 is not a folder (%2, owned by %3)")
                            .arg(path,
                                 S_ISLNK(link.st_mode) ? QStringLiteral("a symbolic link") : QStringLiteral("a file"),
                                 userName(link.st_uid)));
        return fail(QStringLiteral("cannot open the folder %1: %2").arg(path, systemError(error)));
    }
    const auto closer = qScopeGuard([fd] { ::close(fd); });
    struct stat info
    {
    };
    if (::fstat(fd, &info) != 0)
        return fail(QStringLiteral("cannot examine the folder %1: %2").arg(path, systemError(errno)));
    if (info.st_uid != ::geteuid())
        return fail(QStringLiteral("the folder %1 belongs to %2, not to you").arg(path, userName(info.st_uid)));
    if ((info.st_mode & 07777) != 0700 && ::fchmod(fd, 0700) != 0)
        return fail(QStringLiteral("cannot make the folder %1 private: %2").arg(path, systemError(errno)));
    return {};
}

} // namespace AppPaths
