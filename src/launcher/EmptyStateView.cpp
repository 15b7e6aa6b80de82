// SPDX-License-Identifier: GPL-3.0-or-later
#include "launcher/EmptyStateView.h"

#include "core/ModelNames.h"
#include "launcher/VendorBadge.h"
#include "platform/AssignIfChanged.h"
#include "ui/LauncherColors.h"
#include "ui/PaletteFollower.h"
#include "ui/PixelFont.h"
#include "ui/SymbolIcon.h"

#include <QKeySequence>
#include <QLabel>
#include <QVBoxLayout>

namespace {

QString hintText()
{
    const QString newline = QKeySequence(Qt::SHIFT | Qt::Key_Return).toString(QKeySequence::NativeText);
    const QString newChat = QKeySequence(Qt::CTRL | Qt::Key_N).toString(QKeySequence::NativeText);
    return QStringLiteral("%1 for newline  ·  %2 new chat  ·  Esc to close").arg(newline, newChat);
}

} // namespace

EmptyStateView::EmptyStateView(const QString &selectedModel, QWidget *parent)
    : QWidget(parent)
    , m_selectedModel(selectedModel)
    , m_logo(new QLabel(this))
    , m_title(new QLabel(QStringLiteral("How can Tarnwick help?"), this))
    , m_hint(new QLabel(hintText(), this))
{
    auto *column = new QVBoxLayout(this);
    column->setSpacing(10);
    column->addStretch(1);
    column->addWidget(m_logo, 0, Qt::AlignHCenter);
    column->addWidget(m_title, 0, Qt::AlignHCenter);
    column->addWidget(m_hint, 0, Qt::AlignHCenter);
    column->addStretch(1);
    usePixelFont(m_title, 15, QFont::Medium);
    usePixelFont(m_hint, 11);
    refresh();
    new PaletteFollower(this, [this] { refresh(); });
}

void EmptyStateView::setSelectedModel(const QString &model)
{
    if (!assignIfChanged(m_selectedModel, model))
        return;
    refresh();
}

void EmptyStateView::refresh()
{
    const LauncherColors colors = LauncherColors::of(this);
    const qreal dpr = devicePixelRatioF();
    std::optional<QPixmap> badge;
    if (const auto name = providerImageName(m_selectedModel))
        badge = vendorBadge(*name, 44, dpr);
    m_showsVendorLogo = badge.has_value();
    m_logo->setPixmap(badge ? *badge : brandMarkPixmap(30, 0.8, dpr));
    QPalette secondary = m_hint->palette();
    secondary.setColor(QPalette::WindowText, colors.secondary);
    m_hint->setPalette(secondary);
}
