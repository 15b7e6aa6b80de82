// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QObject>
#include <QSet>
#include <QTextObjectInterface>

class MathTypesetter;
class QTextCharFormat;
class QTextEdit;

// Draws the formulas of a text view's document: typeset by MathJax once
// ready, their source until then, and a formula MathJax rejects as its source
// in the code style. A formula is one object character whose format holds its
// TeX; display formulas take a centred line of their own. When a formula
// arrives typeset, the lines holding it are laid out again.
class FormulaObject : public QObject, public QTextObjectInterface
{
    Q_OBJECT
    Q_INTERFACES(QTextObjectInterface)

public:
    static constexpr int kObjectType = QTextFormat::UserObject + 1;
    static constexpr int kSourceProperty = 0x100200; // with its delimiters
    static constexpr int kTexProperty = 0x100201;
    static constexpr int kDisplayProperty = 0x100202;

    // Registers with the view's document; colours follow the view's palette.
    explicit FormulaObject(QTextEdit *view, MathTypesetter *typesetter = nullptr);

    // The format of a formula's object character on top of the text's own.
    static QTextCharFormat format(const QString &source, bool display, const QTextCharFormat &text);

    // How far below its top Qt puts the baseline of an object `height` high
    // in text of `font`, aligned to the middle of the x-height.
    static qreal objectAscent(qreal height, const QFont &font);

    QSizeF intrinsicSize(QTextDocument *document, int position, const QTextFormat &format) override;
    void drawObject(QPainter *painter, const QRectF &rect, QTextDocument *document, int position,
                    const QTextFormat &format) override;

Q_SIGNALS:
    // Formulas in the document changed their look (and maybe their size).
    void formulasTypeset();

private:
    struct Look;
    Look look(QTextDocument *document, int position, const QTextFormat &format);
    void arrived(const QString &tex, bool display);
    void relayout();

    QTextEdit *m_view;
    MathTypesetter *m_typesetter;
    QSet<QString> m_arrived;
};
