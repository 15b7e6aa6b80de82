// SPDX-License-Identifier: GPL-3.0-or-later
#include "store/Conversation.h"

#include <QTextBoundaryFinder>

#include <algorithm>

#include <utility>

namespace {

constexpr int kTitleLength = 42;

const QString &newConversationTitle()
{
    static const QString title = QStringLiteral("New Conversation");
    return title;
}

} // namespace

Conversation::Conversation(QString title, QDateTime date, QList<StoredMessage> messages)
    : title(std::move(title))
    , date(std::move(date))
    , messages(std::move(messages))
{
}

Conversation::Conversation(QUuid id, QString title, QDateTime date, QList<StoredMessage> messages)
    : id(id)
    , title(std::move(title))
    , date(std::move(date))
    , messages(std::move(messages))
{
}

QString Conversation::makeTitle(const QList<StoredMessage> &messages)
{
    const auto user =
        std::find_if(messages.cbegin(), messages.cend(), [](const StoredMessage &m) { return m.isUser(); });
    if (user == messages.cend())
        return newConversationTitle();
    // QString::trimmed covers Unicode white space and line breaks at both ends.
    const QString text = user->content.trimmed();
    if (text.isEmpty())
        return newConversationTitle();

    QTextBoundaryFinder graphemes(QTextBoundaryFinder::Grapheme, text);
    int count = 0;
    while (graphemes.toNextBoundary() != -1) {
        if (++count == kTitleLength) {
            const qsizetype cut = graphemes.position();
            if (cut < text.size())
                return text.left(cut) + QChar(0x2026);
            break;
        }
    }
    return text;
}
