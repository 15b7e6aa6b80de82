// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QByteArray>
#include <QString>

#include <memory>
#include <optional>

// One version of the history file, held open: the conversations the store
// keeps only on disk stay readable at their places after the file is replaced.
class HistorySnapshot
{
public:
    // Takes ownership of an open descriptor.
    explicit HistorySnapshot(int descriptor);
    ~HistorySnapshot();

    HistorySnapshot(const HistorySnapshot &) = delete;
    HistorySnapshot &operator=(const HistorySnapshot &) = delete;

    // The file at the path now, if it is a regular file of this size.
    static std::shared_ptr<const HistorySnapshot> open(const QString &path, qint64 size);

    // Exactly these bytes, or nothing when the file no longer holds them.
    std::optional<QByteArray> read(qint64 offset, qint64 length) const;

private:
    int m_descriptor;
};
