// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "text/SyntaxColorer.h"
#include "ui/CodeBlockColors.h"

#include <QTextEdit>
#include <QTextCharFormat>

// The read-only, selectable, monospaced and coloured body of one code block.
// Code that only grew is appended and re-coloured from where the colours can
// have changed, with the same result as colouring it whole.
class SyntaxColoredCodeView : public QTextEdit
{
    Q_OBJECT

public:
    SyntaxColoredCodeView(const QString &code, const QString &lang, QWidget *parent = nullptr);

    QString code() const { return m_code; }
    QString lang() const { return m_lang; }
    void setCode(const QString &code);

    // Width of the longest line and height of all lines, unwrapped.
    int naturalWidth() const;
    int contentHeight() const;

Q_SIGNALS:
    void contentSizeChanged();

protected:
    void wheelEvent(QWheelEvent *event) override;
    void changeEvent(QEvent *event) override;

private:
    // Takes the colours of the appearance the view is in, recolouring on a change.
    void followAppearance();
    void recolourFrom(qsizetype from);
    QTextCharFormat baseFormat() const;

    QString m_code;
    QString m_lang;
    SyntaxColorer m_colorer;
    bool m_dark = true;
    CodeBlockColors m_colors = CodeBlockColors::forAppearance(true);
};
