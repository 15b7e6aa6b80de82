// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "presets/Preset.h"

#include <QList>
#include <QWidget>

class MultilineTextField;
class PresetStore;

// The list of presets under the input while the user types "/name": filtered
// as they type, Up and Down to move, Return or Tab to take one, Esc to put it
// away. Return on a name typed in full sends instead.
class PresetPicker : public QWidget
{
    Q_OBJECT

public:
    PresetPicker(PresetStore &store, MultilineTextField *field, QWidget *parent = nullptr);

    // The names listed now, in order, and the one marked.
    QStringList shownNames() const;
    int currentRow() const { return m_current; }

    QSize sizeHint() const override;

Q_SIGNALS:
    // The input should read this: the preset's name, ready for the text after it.
    void chosen(const QString &text);

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;
    void paintEvent(QPaintEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;
    void mouseMoveEvent(QMouseEvent *event) override;

private:
    void follow();
    void choose(int row);
    int rowAt(const QPoint &point) const;
    QRect rowRect(int row) const;

    PresetStore &m_store;
    MultilineTextField *m_field;
    QList<Preset> m_shown;
    int m_current = 0;
    QString m_dismissedText; // Esc put the list away for this input
};
