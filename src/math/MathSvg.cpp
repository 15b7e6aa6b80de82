// SPDX-License-Identifier: GPL-3.0-or-later
#include "math/MathSvg.h"

#include <QRegularExpression>

namespace {

qreal exValue(const QString &head, const QRegularExpression &expression)
{
    const QRegularExpressionMatch match = expression.match(head);
    return match.hasMatch() ? match.captured(1).toDouble() : 0;
}

} // namespace

MathSvgBox readMathSvgBox(const QByteArray &svg)
{
    // Only the opening tag holds the size.
    const qsizetype close = svg.indexOf('>');
    const QString head = close < 0 ? QString() : QString::fromUtf8(svg.left(close));
    static const QRegularExpression width(QStringLiteral(R"(\swidth="([0-9.]+)ex")"));
    static const QRegularExpression height(QStringLiteral(R"(\sheight="([0-9.]+)ex")"));
    static const QRegularExpression align(QStringLiteral(R"(vertical-align:\s*(-?[0-9.]+)ex)"));
    MathSvgBox box;
    box.width = exValue(head, width);
    box.height = exValue(head, height);
    box.depth = -exValue(head, align);
    return box;
}

MathPlacement placeMathSvg(const MathSvgBox &box, qreal xHeight)
{
    MathPlacement placement;
    placement.size = QSizeF(box.width * xHeight, box.height * xHeight);
    placement.ascent = (box.height - box.depth) * xHeight;
    return placement;
}

QByteArray colouredMathSvg(const QByteArray &svg, const QColor &colour)
{
    QByteArray coloured = svg;
    return coloured.replace("currentColor", colour.name(QColor::HexRgb).toLatin1());
}
