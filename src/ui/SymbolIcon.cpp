// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/SymbolIcon.h"

#include "ui/LauncherColors.h"

#include <QFile>
#include <QHash>
#include <QLinearGradient>
#include <QPainter>
#include <QSvgRenderer>

namespace {

struct Symbol
{
    QString file; // SVG in the icon resource
    bool disc = false; // drawn as a filled circle with the glyph inside
};

const QHash<QString, Symbol> &symbolTable()
{
    static const QHash<QString, Symbol> table = {
        {QStringLiteral("xmark.circle.fill"), {QStringLiteral("x"), true}},
        {QStringLiteral("sidebar.left"), {QStringLiteral("panel-left")}},
        {QStringLiteral("sparkles"), {QStringLiteral("sparkles")}},
        {QStringLiteral("square.and.pencil"), {QStringLiteral("square-pen")}},
        {QStringLiteral("paperclip"), {QStringLiteral("paperclip")}},
        {QStringLiteral("doc"), {QStringLiteral("file")}},
        {QStringLiteral("doc.text"), {QStringLiteral("file-text")}},
        {QStringLiteral("doc.on.clipboard"), {QStringLiteral("clipboard-paste")}},
        {QStringLiteral("camera.viewfinder"), {QStringLiteral("scan")}},
        {QStringLiteral("text.cursor"), {QStringLiteral("text-cursor")}},
        {QStringLiteral("mic"), {QStringLiteral("mic")}},
        {QStringLiteral("waveform"), {QStringLiteral("audio-waveform")}},
        {QStringLiteral("waveform.circle.fill"), {QStringLiteral("audio-waveform"), true}},
        {QStringLiteral("stop.circle.fill"), {QStringLiteral("square"), true}},
        {QStringLiteral("arrow.up.circle.fill"), {QStringLiteral("arrow-up"), true}},
        {QStringLiteral("brain"), {QStringLiteral("brain")}},
        {QStringLiteral("pencil.line"), {QStringLiteral("pencil-line")}},
        {QStringLiteral("doc.on.doc"), {QStringLiteral("copy")}},
        {QStringLiteral("checkmark"), {QStringLiteral("check")}},
        {QStringLiteral("trash"), {QStringLiteral("trash-2")}},
        {QStringLiteral("exclamationmark.triangle.fill"), {QStringLiteral("triangle-alert")}},
        {QStringLiteral("bubble.left.and.bubble.right"), {QStringLiteral("messages-square")}},
        {QStringLiteral("bolt.leaf.fill"), {QStringLiteral("zap")}},
    };
    return table;
}

QByteArray svgSource(const QString &file)
{
    static QHash<QString, QByteArray> cache;
    auto it = cache.find(file);
    if (it == cache.end()) {
        QFile svg(QStringLiteral(":/icons/%1.svg").arg(file));
        it = cache.insert(file, svg.open(QIODevice::ReadOnly) ? svg.readAll() : QByteArray());
    }
    return *it;
}

void renderSvg(QPainter &painter, QByteArray svg, const QColor &color, const QRectF &target, qreal strokeWidth = 2.0)
{
    svg.replace("currentColor", color.name(QColor::HexRgb).toLatin1());
    svg.replace("stroke-width=\"2\"", QByteArray("stroke-width=\"") + QByteArray::number(strokeWidth) + '"');
    QSvgRenderer renderer(svg);
    painter.save();
    painter.setOpacity(painter.opacity() * color.alphaF());
    renderer.render(&painter, target);
    painter.restore();
}

} // namespace

bool hasSymbol(const QString &symbolName)
{
    return symbolTable().contains(symbolName);
}

QPixmap symbolPixmap(const QString &symbolName, int pointSize, const QColor &color, qreal devicePixelRatio,
                     const QColor &glyphColor)
{
    const int side = qMax(1, qRound(pointSize * devicePixelRatio));
    QPixmap pixmap(side, side);
    pixmap.fill(Qt::transparent);
    const auto symbol = symbolTable().constFind(symbolName);
    if (symbol == symbolTable().constEnd())
        return pixmap;
    QPainter painter(&pixmap);
    painter.setRenderHint(QPainter::Antialiasing);
    const QRectF full(0, 0, side, side);
    if (symbol->disc) {
        painter.setPen(Qt::NoPen);
        painter.setBrush(color);
        painter.drawEllipse(full);
        const qreal inset = side * 0.24;
        renderSvg(painter, svgSource(symbol->file), glyphColor, full.adjusted(inset, inset, -inset, -inset), 3.0);
    } else {
        renderSvg(painter, svgSource(symbol->file), color, full);
    }
    pixmap.setDevicePixelRatio(devicePixelRatio);
    return pixmap;
}

QIcon symbolIcon(const QString &symbolName, const QColor &color)
{
    QIcon icon;
    for (int size : {16, 24, 32, 48})
        icon.addPixmap(symbolPixmap(symbolName, size, color));
    return icon;
}

QPixmap brandMarkPixmap(int pointSize, qreal opacity, qreal devicePixelRatio)
{
    const int side = qMax(1, qRound(pointSize * devicePixelRatio));
    QPixmap pixmap(side, side);
    pixmap.fill(Qt::transparent);
    QPainter painter(&pixmap);
    painter.setRenderHint(QPainter::Antialiasing);
    // Fill the bolt's outline solid, then let the gradient show only where it is.
    QByteArray svg = svgSource(QStringLiteral("zap"));
    svg.replace("fill=\"none\"", "fill=\"currentColor\"");
    renderSvg(painter, svg, Qt::white, QRectF(0, 0, side, side), 1.0);
    painter.setCompositionMode(QPainter::CompositionMode_SourceIn);
    QLinearGradient gradient(0, 0, side, side);
    gradient.setColorAt(0, LauncherColors::systemGreen(true));
    gradient.setColorAt(1, LauncherColors::systemYellow(true));
    painter.setOpacity(opacity);
    painter.fillRect(QRectF(0, 0, side, side), gradient);
    painter.end();
    pixmap.setDevicePixelRatio(devicePixelRatio);
    return pixmap;
}
