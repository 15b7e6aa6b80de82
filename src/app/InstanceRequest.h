// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QByteArray>
#include <QString>

// A request to the running instance ("toggle", "open", ...) as one line on its
// socket, with the desktop's activation token when the start had one: on
// Wayland only a window shown with that token may take the focus.
struct InstanceRequest
{
    QString name;
    QString activationToken;

    // Longest line a start may send: a request word and a token.
    static constexpr int maxLineLength = 1024;

    // "toggle" or "toggle TOKEN"; a token that could not travel on one line
    // (spaces, control characters, too long) is left out.
    QByteArray encode() const;
    static InstanceRequest decode(const QString &line);
};
