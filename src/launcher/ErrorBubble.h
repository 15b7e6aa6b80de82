// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QWidget>

class QLabel;

// The current error text, above the messages; no dismiss control.
class ErrorBubble : public QWidget
{
    Q_OBJECT

public:
    explicit ErrorBubble(const QString &text, QWidget *parent = nullptr);

    QString text() const;
    void setText(const QString &text);

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    void applyColors();

    QLabel *m_icon;
    QLabel *m_text;
};
