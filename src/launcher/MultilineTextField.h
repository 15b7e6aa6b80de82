// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QPlainTextEdit>

// The launcher's message input: plain text, Return submits, Shift+Return breaks
// the line. Grows with its content between a minimum and a maximum height and
// scrolls beyond that without a visible scroller.
class MultilineTextField : public QPlainTextEdit
{
    Q_OBJECT

public:
    explicit MultilineTextField(QWidget *parent = nullptr);

    QString text() const { return toPlainText(); }
    // Replaces the text from outside; the caret keeps its place, clamped to the new length.
    void setText(const QString &text);

    void setHeightLimits(int minimum, int maximum);

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;

Q_SIGNALS:
    void textEdited(const QString &text);
    void submitted();
    // Up in an empty field: the host may bring back the last prompt.
    void recallRequested();
    // Files pasted (copied in a file manager) or dropped: attached, not typed.
    void filesPasted(const QStringList &paths);

protected:
    void keyPressEvent(QKeyEvent *event) override;
    bool canInsertFromMimeData(const QMimeData *source) const override;
    void insertFromMimeData(const QMimeData *source) override;

private:
    int contentHeight() const;

    int m_minimumHeight = 28;
    int m_maximumHeight = 120;
    bool m_settingText = false;
};
