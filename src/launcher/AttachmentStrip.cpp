// SPDX-License-Identifier: GPL-3.0-or-later
#include "launcher/AttachmentStrip.h"

#include "ui/LauncherColors.h"
#include "ui/LauncherMetrics.h"
#include "ui/PixelFont.h"
#include "ui/SymbolButton.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QPainter>
#include <QPainterPath>

namespace {
constexpr int kThumb = 40;
} // namespace

AttachmentStrip::AttachmentStrip(QWidget *parent)
    : QWidget(parent)
    , m_thumbnail(new QLabel(this))
    , m_remove(new SymbolButton(
          QStringLiteral("xmark.circle.fill"), 14, [](const LauncherColors &colors) { return colors.secondary; }, this))
{
    m_thumbnail->setFixedSize(kThumb, kThumb);
    auto *caption = new QLabel(QStringLiteral("Image attached"), this);
    usePixelFont(caption, 11);
    caption->setForegroundRole(QPalette::PlaceholderText);
    m_remove->setGlyphColorRole(
        [](const LauncherColors &colors) { return colors.dark ? QColor(30, 30, 30) : QColor(Qt::white); });
    auto *row = new QHBoxLayout(this);
    row->setContentsMargins(LauncherMetrics::edgeInset, 8, LauncherMetrics::edgeInset, 8);
    row->setSpacing(8);
    row->addWidget(m_thumbnail);
    row->addWidget(caption);
    row->addStretch(1);
    row->addWidget(m_remove);
}

void AttachmentStrip::setImage(const QImage &image)
{
    // Scaled to fill the square, clipped to its rounded corners, outlined.
    const qreal dpr = devicePixelRatioF();
    const int side = qRound(kThumb * dpr);
    QPixmap thumb(side, side);
    thumb.fill(Qt::transparent);
    QPainter painter(&thumb);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setRenderHint(QPainter::SmoothPixmapTransform);
    QPainterPath clip;
    clip.addRoundedRect(QRectF(0.5, 0.5, side - 1, side - 1), 6 * dpr, 6 * dpr);
    painter.setClipPath(clip);
    const QImage filled = image.scaled(side, side, Qt::KeepAspectRatioByExpanding, Qt::SmoothTransformation);
    painter.drawImage(QPointF((side - filled.width()) / 2.0, (side - filled.height()) / 2.0), filled);
    painter.setClipping(false);
    painter.setPen(QPen(LauncherColors::of(this).separator, dpr));
    painter.drawPath(clip);
    painter.end();
    thumb.setDevicePixelRatio(dpr);
    m_thumbnail->setPixmap(thumb);
}

void AttachmentStrip::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    painter.fillRect(rect(), withOpacity(LauncherColors::of(this).quaternaryFill, 0.3));
}
