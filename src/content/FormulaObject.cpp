// SPDX-License-Identifier: GPL-3.0-or-later
#include "content/FormulaObject.h"

#include "math/MathImageCache.h"
#include "math/MathTypesetter.h"
#include "text/MathDelimiters.h"

#include <QAbstractTextDocumentLayout>
#include <QFontDatabase>
#include <QFontMetricsF>
#include <QPainter>
#include <QTextBlock>
#include <QTextDocument>
#include <QTextEdit>
#include <QTimer>

namespace {

constexpr qreal kDisplayPadding = 4; // above and below a display formula
constexpr qreal kCodePadding = 2; // beside a rejected formula's source

QString arrivalKey(const QString &tex, bool display)
{
    return (display ? QLatin1Char('D') : QLatin1Char('I')) + tex;
}

QFont codeFont(const QFont &text)
{
    QFont mono = QFontDatabase::systemFont(QFontDatabase::FixedFont);
    mono.setPixelSize(qMax(1, text.pixelSize() - 1));
    return mono;
}

// The width a display formula may fill: the line, less the block's margins and indent.
qreal lineWidth(QTextDocument *document, int position)
{
    const QTextBlockFormat block = document->findBlock(position).blockFormat();
    return document->textWidth() - block.leftMargin() - block.rightMargin() - block.indent() * document->indentWidth()
        - 1;
}

} // namespace

struct FormulaObject::Look
{
    MathTypesetter::Result result;
    QString source;
    QString tex;
    bool display = false;
    QFont font;
    QSizeF size; // of the object
    QRectF content; // the formula or its source, inside the object
};

FormulaObject::FormulaObject(QTextEdit *view, MathTypesetter *typesetter)
    : QObject(view)
    , m_view(view)
    , m_typesetter(typesetter ? typesetter : MathTypesetter::shared())
{
    view->document()->documentLayout()->registerHandler(kObjectType, this);
    connect(m_typesetter, &MathTypesetter::typeset, this, &FormulaObject::arrived);
}

QTextCharFormat FormulaObject::format(const QString &source, bool display, const QTextCharFormat &text)
{
    QTextCharFormat format = text;
    format.setObjectType(kObjectType);
    format.setProperty(kSourceProperty, source);
    format.setProperty(kTexProperty, mathSourceTex(source).toString());
    format.setProperty(kDisplayProperty, display);
    format.setVerticalAlignment(QTextCharFormat::AlignMiddle);
    return format;
}

qreal FormulaObject::objectAscent(qreal height, const QFont &font)
{
    // Qt's rule for AlignMiddle objects: centred on half the x-height.
    const qreal halfX = QFontMetrics(font).xHeight() / 2.0;
    return (height + halfX) / 2.0;
}

FormulaObject::Look FormulaObject::look(QTextDocument *document, int position, const QTextFormat &format)
{
    Look look;
    look.source = format.stringProperty(kSourceProperty);
    look.tex = format.stringProperty(kTexProperty);
    look.display = format.boolProperty(kDisplayProperty);
    look.font = format.toCharFormat().font();
    look.result = m_typesetter->result(look.tex, look.display);
    const qreal width = look.display ? lineWidth(document, position) : 0;

    QSizeF content;
    qreal ascent = 0;
    switch (look.result.state) {
    case MathTypesetter::State::Ready: {
        const MathPlacement placement = placeMathSvg(look.result.box, QFontMetricsF(look.font).xHeight());
        content = placement.size;
        // Scaled down to fit a line narrower than the formula.
        if (width > 0 && content.width() > width) {
            content *= width / content.width();
        }
        ascent = placement.ascent * content.height() / placement.size.height();
        break;
    }
    case MathTypesetter::State::Failed:
    case MathTypesetter::State::Pending: {
        const QFont font = look.result.state == MathTypesetter::State::Failed ? codeFont(look.font) : look.font;
        const QFontMetricsF metrics(font);
        const qreal padding = look.result.state == MathTypesetter::State::Failed ? kCodePadding : 0;
        if (look.display && width > 0) {
            content = metrics
                          .boundingRect(QRectF(0, 0, width - 2 * padding, 1e6), Qt::TextWrapAnywhere | Qt::AlignHCenter,
                                        look.source)
                          .size();
        } else {
            content = QSizeF(metrics.horizontalAdvance(look.source), metrics.height());
        }
        content += QSizeF(2 * padding, 0);
        ascent = metrics.ascent();
        break;
    }
    }

    if (look.display) {
        look.size = QSizeF(qMax(width, content.width()), content.height() + 2 * kDisplayPadding);
        look.content = QRectF(QPointF((look.size.width() - content.width()) / 2, kDisplayPadding), content);
        return look;
    }
    // Inline: the object is as tall as it must be for the formula's baseline
    // to sit on the text's, given that Qt centres it on the x-height.
    const qreal halfX = QFontMetrics(look.font).xHeight() / 2.0;
    const qreal descent = content.height() - ascent;
    const qreal below = qMax(descent, ascent - halfX);
    const qreal height = 2 * below + halfX;
    look.size = QSizeF(content.width(), height);
    look.content = QRectF(QPointF(0, objectAscent(height, look.font) - ascent), content);
    return look;
}

QSizeF FormulaObject::intrinsicSize(QTextDocument *document, int position, const QTextFormat &format)
{
    return look(document, position, format).size;
}

void FormulaObject::drawObject(QPainter *painter, const QRectF &rect, QTextDocument *document, int position,
                               const QTextFormat &format)
{
    const Look shown = look(document, position, format);
    const QRectF target = shown.content.translated(rect.topLeft());
    const QBrush foreground = format.toCharFormat().foreground();
    const QColor colour =
        foreground.style() != Qt::NoBrush ? foreground.color() : m_view->palette().color(QPalette::Text);
    painter->save();
    switch (shown.result.state) {
    case MathTypesetter::State::Ready: {
        const qreal ratio = painter->device() ? painter->device()->devicePixelRatioF() : 1.0;
        const QImage image =
            MathImageCache::shared().image(shown.source, shown.result.svg, target.size(), colour, ratio);
        painter->drawImage(target, image);
        break;
    }
    case MathTypesetter::State::Failed:
        painter->fillRect(target, QColor(127, 127, 127, 40));
        painter->setFont(codeFont(shown.font));
        painter->setPen(colour);
        painter->drawText(target.adjusted(kCodePadding, 0, -kCodePadding, 0), Qt::TextWrapAnywhere | Qt::AlignHCenter,
                          shown.source);
        break;
    case MathTypesetter::State::Pending:
        painter->setFont(shown.font);
        painter->setPen(colour);
        painter->drawText(target, Qt::TextWrapAnywhere | Qt::AlignHCenter, shown.source);
        break;
    }
    painter->restore();
}

void FormulaObject::arrived(const QString &tex, bool display)
{
    // Formulas come one by one: one layout pass for those that came together.
    if (m_arrived.isEmpty())
        QTimer::singleShot(0, this, &FormulaObject::relayout);
    m_arrived.insert(arrivalKey(tex, display));
}

void FormulaObject::relayout()
{
    QTextDocument *document = m_view->document();
    bool changed = false;
    for (QTextBlock block = document->begin(); block.isValid(); block = block.next()) {
        for (auto it = block.begin(); !it.atEnd(); ++it) {
            const QTextFragment fragment = it.fragment();
            const QTextCharFormat format = fragment.charFormat();
            if (format.objectType() != kObjectType
                || !m_arrived.contains(
                    arrivalKey(format.stringProperty(kTexProperty), format.boolProperty(kDisplayProperty))))
                continue;
            document->markContentsDirty(fragment.position(), fragment.length());
            changed = true;
        }
    }
    m_arrived.clear();
    if (changed)
        Q_EMIT formulasTypeset();
}
