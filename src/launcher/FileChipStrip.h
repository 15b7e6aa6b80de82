// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "llm/FileAttachment.h"

#include <QList>
#include <QWidget>

class FileChip;

// Attached files as a row of chips that wraps onto further rows. In the
// panel they wait to be sent and can be removed; in a sent message they
// stand at the sender's edge and open when clicked.
class FileChipStrip : public QWidget
{
    Q_OBJECT

public:
    enum class Use { Pending, Sent };

    explicit FileChipStrip(Use use, QWidget *parent = nullptr);

    void setFiles(const QList<FileAttachment> &files);
    const QList<FileChip *> &chips() const { return m_chips; }

    int heightForWidth(int width) const override;
    bool hasHeightForWidth() const override { return true; }
    QSize sizeHint() const override;

Q_SIGNALS:
    void removeRequested(int index);
    void openRequested(int index);

protected:
    void paintEvent(QPaintEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;

private:
    // Places the chips for this width (when place is true) and returns the height they take.
    int arrange(int width, bool place) const;

    Use m_use;
    QList<FileChip *> m_chips;
};
