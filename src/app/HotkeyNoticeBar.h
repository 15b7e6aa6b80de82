#pragma once

#include <QWidget>

class QLabel;

// A card over the top of the panel telling that the launch hotkey does not
// work, with a way to pick another one. Its colours follow the launcher's.
class HotkeyNoticeBar : public QWidget
{
    Q_OBJECT

public:
    explicit HotkeyNoticeBar(QWidget *parent = nullptr);

    void setText(const QString &text);
    QString text() const;

Q_SIGNALS:
    void chooseHotkeyRequested();

protected:
    void paintEvent(QPaintEvent *event) override;
    void changeEvent(QEvent *event) override;

private:
    void styleButton();

    QLabel *m_text;
    class QPushButton *m_choose;
};
