// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QByteArray>
#include <QColor>
#include <QSizeF>

// The size of a typeset formula as MathJax states it on its <svg> element,
// in ex: width, height, and the depth below the baseline (vertical-align).
struct MathSvgBox
{
    qreal width = 0;
    qreal height = 0;
    qreal depth = 0;

    bool isValid() const { return width > 0 && height > 0; }
};

MathSvgBox readMathSvgBox(const QByteArray &svg);

// Where a formula goes in a line of text whose x-height is `xHeight` pixels
// (MathJax's ex is the text's): its size, and how far its baseline lies below its top.
struct MathPlacement
{
    QSizeF size;
    qreal ascent = 0;

    qreal descent() const { return size.height() - ascent; }
};

MathPlacement placeMathSvg(const MathSvgBox &box, qreal xHeight);

// MathJax draws in currentColor; an image is drawn in one colour.
QByteArray colouredMathSvg(const QByteArray &svg, const QColor &colour);
