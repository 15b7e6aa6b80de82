// SPDX-License-Identifier: GPL-3.0-or-later
#include "launcher/VendorBadge.h"

#include <QFont>
#include <QHash>
#include <QPainter>
#include <QPainterPath>

namespace {

struct Badge
{
    QColor color;
    QString letter;
};

} // namespace

std::optional<QPixmap> vendorBadge(const QString &imageName, int pointSize, qreal devicePixelRatio)
{
    static const QHash<QString, Badge> badges = {
        {QStringLiteral("openai_logo"), {QColor(16, 163, 127), QStringLiteral("O")}},
        {QStringLiteral("gemini_logo"), {QColor(66, 133, 244), QStringLiteral("G")}},
        {QStringLiteral("anthropic_logo"), {QColor(204, 120, 92), QStringLiteral("A")}},
        {QStringLiteral("meta_logo"), {QColor(24, 119, 242), QStringLiteral("M")}},
        {QStringLiteral("deepseek_logo"), {QColor(77, 107, 254), QStringLiteral("D")}},
        {QStringLiteral("qwen_logo"), {QColor(97, 92, 237), QStringLiteral("Q")}},
    };
    const auto badge = badges.constFind(imageName);
    if (badge == badges.constEnd())
        return std::nullopt;
    const int side = qMax(1, qRound(pointSize * devicePixelRatio));
    QPixmap pixmap(side, side);
    pixmap.fill(Qt::transparent);
    QPainter painter(&pixmap);
    painter.setRenderHint(QPainter::Antialiasing);
    QLinearGradient fill(0, 0, side, side);
    fill.setColorAt(0, badge->color.lighter(125));
    fill.setColorAt(1, badge->color.darker(115));
    QPainterPath tile;
    tile.addRoundedRect(QRectF(0, 0, side, side), side * 0.22, side * 0.22);
    painter.fillPath(tile, fill);
    QFont font;
    font.setPixelSize(qRound(side * 0.55));
    font.setWeight(QFont::Bold);
    painter.setFont(font);
    painter.setPen(Qt::white);
    painter.drawText(QRectF(0, 0, side, side), Qt::AlignCenter, badge->letter);
    painter.end();
    pixmap.setDevicePixelRatio(devicePixelRatio);
    return pixmap;
}
