#pragma once

#include <QWidget>

class QLabel;

// Says, above the input, that sending replaces the last prompt, and how to back out.
class EditingStrip : public QWidget
{
    Q_OBJECT

public:
    explicit EditingStrip(QWidget *parent = nullptr);

    QString text() const;

protected:
    void paintEvent(QPaintEvent *event) override;
    void changeEvent(QEvent *event) override;

private:
    void applyColors();

    QLabel *m_icon;
    QLabel *m_text;
};
