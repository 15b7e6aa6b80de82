// SPDX-License-Identifier: GPL-3.0-or-later
#include "math/MathImageCache.h"

#include "math/MathSvg.h"

#include <QPainter>
#include <QSvgRenderer>

namespace {

constexpr qsizetype kImageBudget = 16 * 1024 * 1024; // bytes of pixels

} // namespace

MathImageCache::MathImageCache()
    : m_images(kImageBudget)
{
}

MathImageCache &MathImageCache::shared()
{
    static MathImageCache cache;
    return cache;
}

QImage MathImageCache::image(const QString &source, const QByteArray &svg, QSizeF size, const QColor &colour,
                             qreal ratio)
{
    const QSize pixels = (size * ratio).toSize().expandedTo(QSize(1, 1));
    const QString key = QStringLiteral("%1x%2@%3 %4 %5")
                            .arg(pixels.width())
                            .arg(pixels.height())
                            .arg(ratio)
                            .arg(colour.name(QColor::HexArgb), source);
    if (const QImage *known = m_images.object(key))
        return *known;
    QImage image(pixels, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    QSvgRenderer renderer(colouredMathSvg(svg, colour));
    QPainter painter(&image);
    painter.setOpacity(colour.alphaF());
    renderer.render(&painter, QRectF(QPointF(0, 0), QSizeF(pixels)));
    painter.end();
    image.setDevicePixelRatio(ratio);
    m_images.insert(key, new QImage(image), qMax<qsizetype>(1, image.sizeInBytes()));
    return image;
}
