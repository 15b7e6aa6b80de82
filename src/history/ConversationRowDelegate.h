// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QStyledItemDelegate>
#include <QUuid>

#include <functional>

// Paints a history row: the title in at most two lines over its relative date,
// on the green-to-yellow highlight when it is the open conversation. A search
// hit adds the matching text in at most two lines, the matches marked.
class ConversationRowDelegate : public QStyledItemDelegate
{
    Q_OBJECT

public:
    using ActiveID = std::function<QUuid()>;

    ConversationRowDelegate(ActiveID activeID, QObject *parent = nullptr);

    void paint(QPainter *painter, const QStyleOptionViewItem &option, const QModelIndex &index) const override;
    QSize sizeHint(const QStyleOptionViewItem &option, const QModelIndex &index) const override;

    // The title as shown in a row this wide: two lines at most, the second cut with "…".
    static QStringList titleLines(const QString &title, const QFont &font, int width);
    static QFont titleFont(const QFont &base);
    static QFont dateFont(const QFont &base);
    static QFont snippetFont(const QFont &base);

private:
    ActiveID m_activeID;
};
