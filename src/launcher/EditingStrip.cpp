#include "launcher/EditingStrip.h"

#include "ui/LauncherColors.h"
#include "ui/SymbolIcon.h"

#include <QEvent>
#include <QHBoxLayout>
#include <QLabel>
#include <QPainter>

EditingStrip::EditingStrip(QWidget *parent)
    : QWidget(parent)
    , m_icon(new QLabel(this))
    , m_text(new QLabel(tr("Editing the last prompt: sending replaces it and its answer. Esc cancels."), this))
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
    applyColors();
}

QString EditingStrip::text() const
{
    return m_text->text();
}

void EditingStrip::applyColors()
{
    m_icon->setPixmap(
        symbolPixmap(QStringLiteral("pencil.line"), 10, LauncherColors::of(this).accent, devicePixelRatioF()));
}

void EditingStrip::changeEvent(QEvent *event)
{
    QWidget::changeEvent(event);
    if (event->type() == QEvent::PaletteChange)
        applyColors();
}

void EditingStrip::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    painter.fillRect(rect(), withOpacity(LauncherColors::of(this).accent, 0.06));
}
