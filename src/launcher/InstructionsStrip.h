// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QWidget>

class QLabel;

// The conversation's instructions in one line at its top; a click shows them
// whole, another folds them again.
class InstructionsStrip : public QWidget
{
    Q_OBJECT

public:
    explicit InstructionsStrip(QWidget *parent = nullptr);

    QString text() const { return m_instructions; }
    // Hidden while there are none; a new text starts folded.
    void setText(const QString &instructions);
    bool isExpanded() const { return m_expanded; }
    void setExpanded(bool expanded);

protected:
    void mousePressEvent(QMouseEvent *event) override;
    void paintEvent(QPaintEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;

private:
    void applyColors();
    void showText();

    QString m_instructions;
    bool m_expanded = false;
    QLabel *m_icon;
    QLabel *m_text;
};
