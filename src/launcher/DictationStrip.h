#pragma once

#include <QWidget>

class QLabel;

// The live transcript while dictating, newest words kept in view.
class DictationStrip : public QWidget
{
    Q_OBJECT

public:
    explicit DictationStrip(QWidget *parent = nullptr);

    void setTranscript(const QString &transcript);
    QString transcript() const { return m_transcript; }

protected:
    void paintEvent(QPaintEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;

private:
    void elide();

    QString m_transcript;
    QLabel *m_icon;
    QLabel *m_text;
};
