// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/InstanceRequest.h"

namespace {

bool travels(const QString &token)
{
    if (token.isEmpty() || token.size() > InstanceRequest::maxLineLength - 32)
        return false;
    for (QChar c : token) {
        if (c.unicode() <= 0x20 || c.unicode() >= 0x7f)
            return false;
    }
    return true;
}

} // namespace

QByteArray InstanceRequest::encode() const
{
    QByteArray line = name.toUtf8();
    if (travels(activationToken))
        line += ' ' + activationToken.toLatin1();
    return line;
}

InstanceRequest InstanceRequest::decode(const QString &line)
{
    const qsizetype space = line.indexOf(QLatin1Char(' '));
    if (space < 0)
        return {line, {}};
    const QString token = line.mid(space + 1);
    return {line.left(space), travels(token) ? token : QString()};
}
