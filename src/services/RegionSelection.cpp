// SPDX-License-Identifier: GPL-3.0-or-later
#include "services/RegionSelection.h"

#include <QPainter>

#include <algorithm>
#include <cmath>

namespace RegionSelection {

namespace {

QPointF scaleOf(const QRect &geometry, QSize grabSize)
{
    return {qreal(grabSize.width()) / geometry.width(), qreal(grabSize.height()) / geometry.height()};
}

// Edges are rounded, not the size, so neighbouring rectangles meet without gaps.
QRect scaled(const QRect &logical, QPointF scale)
{
    const int left = qRound(logical.x() * scale.x());
    const int top = qRound(logical.y() * scale.y());
    const int right = qRound((logical.x() + logical.width()) * scale.x());
    const int bottom = qRound((logical.y() + logical.height()) * scale.y());
    return {left, top, right - left, bottom - top};
}

} // namespace

QRect fromDrag(QPoint press, QPoint current, const QRect &bounds)
{
    const QRect spanned(QPoint(std::min(press.x(), current.x()), std::min(press.y(), current.y())),
                        QSize(std::abs(current.x() - press.x()), std::abs(current.y() - press.y())));
    return spanned.intersected(bounds);
}

QRect toGrabPixels(const QRect &logical, const QRect &screenGeometry, QSize grabSize)
{
    if (screenGeometry.isEmpty())
        return {};
    return scaled(logical.translated(-screenGeometry.topLeft()), scaleOf(screenGeometry, grabSize));
}

QImage compose(const QRect &selection, const QList<ScreenGrab> &grabs)
{
    if (selection.isEmpty())
        return {};
    qreal scale = 0;
    for (const ScreenGrab &grab : grabs) {
        if (grab.geometry.intersects(selection) && !grab.geometry.isEmpty())
            scale = std::max(scale, scaleOf(grab.geometry, grab.image.size()).x());
    }
    if (scale <= 0)
        return {};

    const QPointF outputScale(scale, scale);
    QImage result(scaled(QRect(QPoint(), selection.size()), outputScale).size(), QImage::Format_RGB32);
    result.fill(Qt::black);
    QPainter painter(&result);
    for (const ScreenGrab &grab : grabs) {
        const QRect part = grab.geometry.intersected(selection);
        if (part.isEmpty())
            continue;
        const QRect source = toGrabPixels(part, grab.geometry, grab.image.size());
        const QRect target = scaled(part.translated(-selection.topLeft()), outputScale);
        painter.drawImage(target, grab.image, source);
    }
    return result;
}

} // namespace RegionSelection
