// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "llm/FileAttachment.h"

#include <QAbstractButton>

class SymbolButton;

// One attached file: its icon, name and size on a small rounded card, with a
// remove button while it waits to be sent. Clicking the card opens the file
// (in a sent message).
class FileChip : public QAbstractButton
{
    Q_OBJECT

public:
    FileChip(const FileAttachment &file, bool removable, QWidget *parent = nullptr);

    SymbolButton *removeButton() const { return m_remove; }
    QString sizeText() const { return m_size; }

    QSize sizeHint() const override;

Q_SIGNALS:
    void removeRequested();

protected:
    void paintEvent(QPaintEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;

private:
    QString m_symbol;
    QString m_name;
    QString m_size;
    SymbolButton *m_remove = nullptr;
};
