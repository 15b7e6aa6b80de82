// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QCache>
#include <QColor>
#include <QImage>

// Formulas drawn from their SVG at a size, colour and pixel ratio, kept by
// all of these: a theme or screen change draws them again, scrolling does not.
class MathImageCache
{
public:
    MathImageCache();

    // The image of `svg` filling `size` (device-independent pixels) at `ratio`.
    QImage image(const QString &source, const QByteArray &svg, QSizeF size, const QColor &colour, qreal ratio);

    qsizetype count() const { return m_images.count(); }

    static MathImageCache &shared();

private:
    QCache<QString, QImage> m_images;
};
