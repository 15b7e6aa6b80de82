// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QWidget>

class QLabel;
class QPushButton;

// A tinted card telling the user something that needs attention, with an
// optional action button and a dismiss button. Its colours follow the
// launcher's.
class NoticeCard : public QWidget
{
    Q_OBJECT

public:
    // No button for an empty actionText.
    explicit NoticeCard(const QString &actionText, QWidget *parent = nullptr);

    void setText(const QString &text);
    QString text() const;

Q_SIGNALS:
    // The card hides itself before either is emitted.
    void actionTriggered();
    void dismissed();

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    void styleButton();

    QLabel *m_text;
    QPushButton *m_action;
};
