// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "platform/Result.h"

#include <QByteArray>
#include <QByteArrayView>
#include <QSaveFile>
#include <QString>

// Writes a file under a temporary name and puts it in place only when every
// byte reached the disk. A short write (a full disk, a file size limit) fails
// the whole file: QSaveFile's own buffered flush takes one for success and
// would commit a cut file. Small pieces are gathered into larger writes.
class WholeFileWriter
{
public:
    // The file is readable by its owner only.
    explicit WholeFileWriter(const QString &path);

    // False once anything failed; later pieces are then ignored.
    bool write(QByteArrayView bytes);

    // Puts the file in place, or says why it could not be written.
    Result<> commit();

private:
    bool drain();

    QSaveFile m_file;
    QByteArray m_pending;
    bool m_failed = false;
};
