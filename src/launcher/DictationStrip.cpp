#include "launcher/DictationStrip.h"

#include "ui/LauncherColors.h"
#include "ui/SymbolIcon.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QPainter>

DictationStrip::DictationStrip(QWidget *parent)
    : QWidget(parent)
    , m_icon(new QLabel(this))
    , m_text(new QLabel(this))
{
    QFont font = m_text->font();
    font.setPixelSize(11);
    m_text->setFont(font);
    m_text->setForegroundRole(QPalette::PlaceholderText);
    m_text->setTextFormat(Qt::PlainText);
    m_text->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Preferred);
    auto *row = new QHBoxLayout(this);
    row->setContentsMargins(16, 6, 16, 6);
    row->setSpacing(6);
    row->addWidget(m_icon);
    row->addWidget(m_text, 1);
}

void DictationStrip::setTranscript(const QString &transcript)
{
    m_transcript = transcript;
    m_icon->setPixmap(symbolPixmap(QStringLiteral("waveform"), 10, LauncherColors::of(this).red, devicePixelRatioF()));
    elide();
}

void DictationStrip::elide()
{
    m_text->setText(m_text->fontMetrics().elidedText(m_transcript, Qt::ElideLeft, qMax(0, m_text->width())));
}

void DictationStrip::resizeEvent(QResizeEvent *event)
{
    QWidget::resizeEvent(event);
    elide();
}

void DictationStrip::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    painter.fillRect(rect(), withOpacity(LauncherColors::of(this).red, 0.06));
}
