// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/NoticeCard.h"

#include "ui/ColorOpacity.h"
#include "ui/LauncherColors.h"
#include "ui/PaletteFollower.h"
#include "ui/RoundedCard.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QPainter>
#include <QPushButton>
#include <QToolButton>

NoticeCard::NoticeCard(const QString &actionText, QWidget *parent)
    : QWidget(parent)
    , m_text(new QLabel(this))
    , m_action(new QPushButton(actionText, this))
{
    m_text->setObjectName(QStringLiteral("noticeText"));
    m_text->setWordWrap(true);
    m_text->setTextFormat(Qt::PlainText);
    m_text->setTextInteractionFlags(Qt::TextSelectableByMouse);

    m_action->setObjectName(QStringLiteral("noticeAction"));
    m_action->setCursor(Qt::PointingHandCursor);
    m_action->setVisible(!actionText.isEmpty());
    styleButton();
    new PaletteFollower(this, [this] { styleButton(); });
    connect(m_action, &QPushButton::clicked, this, [this] {
        hide();
        Q_EMIT actionTriggered();
    });

    auto *dismiss = new QToolButton(this);
    dismiss->setObjectName(QStringLiteral("noticeDismiss"));
    dismiss->setText(QStringLiteral("✕"));
    dismiss->setToolTip(tr("Dismiss"));
    dismiss->setAutoRaise(true);
    connect(dismiss, &QToolButton::clicked, this, [this] {
        hide();
        Q_EMIT dismissed();
    });

    auto *layout = new QHBoxLayout(this);
    layout->setContentsMargins(14, 10, 10, 10);
    layout->setSpacing(10);
    layout->addWidget(m_text, 1);
    layout->addWidget(m_action, 0, Qt::AlignVCenter);
    layout->addWidget(dismiss, 0, Qt::AlignTop);
    hide();
}

void NoticeCard::setText(const QString &text)
{
    m_text->setText(text);
}

QString NoticeCard::text() const
{
    return m_text->text();
}

void NoticeCard::paintEvent(QPaintEvent *)
{
    const LauncherColors colors = LauncherColors::of(this);
    QPainter painter(this);
    paintRoundedCard(painter, rect(), 10, {colors.controlBackground, withOpacity(colors.orange, 0.14)},
                     withOpacity(colors.orange, 0.7));
}

// The desktop's button colours would clash with the launcher's appearance.
void NoticeCard::styleButton()
{
    const LauncherColors colors = LauncherColors::of(this);
    m_action->setStyleSheet(QStringLiteral("QPushButton { color: %1; background: %2; border: 1px solid %3;"
                                           " border-radius: 6px; padding: 4px 10px; }"
                                           "QPushButton:hover { background: %4; }")
                                .arg(colors.primary.name(QColor::HexArgb), colors.controlBackground.name(),
                                     withOpacity(colors.orange, 0.7).name(QColor::HexArgb),
                                     withOpacity(colors.orange, 0.2).name(QColor::HexArgb)));
}
