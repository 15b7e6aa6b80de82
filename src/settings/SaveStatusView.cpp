// SPDX-License-Identifier: GPL-3.0-or-later
#include "settings/SaveStatusView.h"

#include "ui/PixelFont.h"
#include "ui/SettingsColors.h"
#include "ui/SettingsSymbols.h"

#include <QGraphicsOpacityEffect>
#include <QHBoxLayout>
#include <QLabel>
#include <QPropertyAnimation>
#include <QTimer>

namespace {

constexpr int kConfirmationMs = 1500;
constexpr int kFadeMs = 250;
constexpr int kIconSize = 14;

} // namespace

SaveStatusView::SaveStatusView(QWidget *parent)
    : QWidget(parent)
    , m_icon(new QLabel(this))
    , m_text(new QLabel(this))
    , m_opacity(new QGraphicsOpacityEffect(this))
    , m_fade(new QPropertyAnimation(m_opacity, "opacity", this))
{
    auto *layout = new QHBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(4);
    layout->addWidget(m_icon, 0, Qt::AlignTop);
    layout->addWidget(m_text);
    usePixelFont(m_text, 13, QFont::Medium);
    m_text->setWordWrap(true);
    m_text->setTextInteractionFlags(Qt::TextSelectableByMouse);
    m_opacity->setOpacity(0);
    setGraphicsEffect(m_opacity);
    m_fade->setDuration(kFadeMs);
    hide();
}

QString SaveStatusView::text() const
{
    return isHidden() ? QString() : m_text->text();
}

void SaveStatusView::showSaved()
{
    const QColor green = SettingsColors::systemGreen(this);
    m_icon->setPixmap(settingsSymbol(QStringLiteral("checkmark.circle.fill"), kIconSize, green, devicePixelRatioF()));
    m_text->setText(QStringLiteral("Saved!"));
    m_text->setStyleSheet(QStringLiteral("color: %1").arg(green.name()));
    setSavedConfirmation(true);
    QTimer::singleShot(kConfirmationMs, this, [this] { setSavedConfirmation(false); });
}

void SaveStatusView::showFailure(const QString &message)
{
    const QColor red = SettingsColors::systemRed(this);
    m_icon->setPixmap(
        settingsSymbol(QStringLiteral("exclamationmark.triangle.fill"), kIconSize, red, devicePixelRatioF()));
    m_text->setText(message);
    m_text->setStyleSheet(QStringLiteral("color: %1").arg(red.name()));
    m_savedConfirmation = false;
    fadeTo(1);
}

void SaveStatusView::setSavedConfirmation(bool shown)
{
    // A failure shown since stays until the next Save.
    if (!shown && !m_savedConfirmation)
        return;
    m_savedConfirmation = shown;
    fadeTo(shown ? 1 : 0);
}

void SaveStatusView::fadeTo(qreal opacity)
{
    m_fade->stop();
    if (opacity > 0)
        show();
    m_fade->setStartValue(m_opacity->opacity());
    m_fade->setEndValue(opacity);
    disconnect(m_fade, &QPropertyAnimation::finished, this, nullptr);
    if (opacity == 0)
        connect(m_fade, &QPropertyAnimation::finished, this, &QWidget::hide);
    m_fade->start();
}
