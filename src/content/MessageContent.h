#pragma once

#include "text/ContentSegmenter.h"

#include <QList>
#include <QWidget>

// The text of a message as stacked prose and code blocks. Entries are kept by
// position, so while an answer streams only the last entries are touched.
class MessageContent : public QWidget
{
    Q_OBJECT

public:
    MessageContent(const QString &raw, bool isUser, QWidget *parent = nullptr);

    QString raw() const { return m_raw; }
    void setRaw(const QString &raw);

    // The host proposes a width; the content reports how much of it it needs.
    void setLayoutWidth(int width);
    int idealWidth() const;
    int contentHeight() const { return m_height; }

    // The entry widgets in order (a prose view or a code block each; blank prose is hidden).
    QList<QWidget *> entries() const { return m_entries; }

Q_SIGNALS:
    void contentSizeChanged();

private:
    QWidget *makeEntry(const ContentSegment &segment);
    bool reuseEntry(QWidget *entry, const ContentSegment &segment);
    void relayout(int from);
    int entryHeight(QWidget *entry) const;

    QString m_raw;
    bool m_isUser;
    ContentSegmenter m_segmenter;
    QList<QWidget *> m_entries;
    QList<int> m_tops;
    int m_layoutWidth = 0;
    int m_height = 0;
};
