#include "app/HotkeyNoticeBar.h"

#include "ui/LauncherColors.h"

#include <QEvent>
#include <QHBoxLayout>
#include <QLabel>
#include <QPainter>
#include <QPainterPath>
#include <QPushButton>
#include <QToolButton>

HotkeyNoticeBar::HotkeyNoticeBar(QWidget *parent)
    : QWidget(parent)
    , m_text(new QLabel(this))
{
    setObjectName(QStringLiteral("hotkeyNotice"));
    m_text->setObjectName(QStringLiteral("hotkeyNoticeText"));
    m_text->setWordWrap(true);
    m_text->setTextFormat(Qt::PlainText);

    auto *choose = new QPushButton(tr("Choose a hotkey"), this);
    m_choose = choose;
    choose->setObjectName(QStringLiteral("chooseHotkeyButton"));
    choose->setCursor(Qt::PointingHandCursor);
    styleButton();
    connect(choose, &QPushButton::clicked, this, [this] {
        hide();
        Q_EMIT chooseHotkeyRequested();
    });

    auto *dismiss = new QToolButton(this);
    dismiss->setObjectName(QStringLiteral("dismissHotkeyNotice"));
    dismiss->setText(QStringLiteral("✕"));
    dismiss->setToolTip(tr("Dismiss"));
    dismiss->setAutoRaise(true);
    connect(dismiss, &QToolButton::clicked, this, &QWidget::hide);

    auto *layout = new QHBoxLayout(this);
    layout->setContentsMargins(14, 10, 10, 10);
    layout->setSpacing(10);
    layout->addWidget(m_text, 1);
    layout->addWidget(choose, 0, Qt::AlignVCenter);
    layout->addWidget(dismiss, 0, Qt::AlignTop);
    hide();
}

void HotkeyNoticeBar::setText(const QString &text)
{
    m_text->setText(text);
}

QString HotkeyNoticeBar::text() const
{
    return m_text->text();
}

void HotkeyNoticeBar::paintEvent(QPaintEvent *)
{
    const LauncherColors colors = LauncherColors::of(this);
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    QPainterPath card;
    card.addRoundedRect(QRectF(rect()).adjusted(0.5, 0.5, -0.5, -0.5), 10, 10);
    painter.fillPath(card, colors.controlBackground);
    painter.fillPath(card, withOpacity(colors.orange, 0.14));
    painter.setPen(QPen(withOpacity(colors.orange, 0.7), 1));
    painter.drawPath(card);
}

// The desktop's button colours would clash with the launcher's appearance.
void HotkeyNoticeBar::styleButton()
{
    const LauncherColors colors = LauncherColors::of(this);
    m_choose->setStyleSheet(QStringLiteral("QPushButton { color: %1; background: %2; border: 1px solid %3;"
                                           " border-radius: 6px; padding: 4px 10px; }"
                                           "QPushButton:hover { background: %4; }")
                                .arg(colors.primary.name(QColor::HexArgb), colors.controlBackground.name(),
                                     withOpacity(colors.orange, 0.7).name(QColor::HexArgb),
                                     withOpacity(colors.orange, 0.2).name(QColor::HexArgb)));
}

void HotkeyNoticeBar::changeEvent(QEvent *event)
{
    if (event->type() == QEvent::PaletteChange) {
        styleButton();
        update();
    }
    QWidget::changeEvent(event);
}
