// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "content/SidewaysBlockView.h"

class QAbstractButton;
class QLabel;
class SyntaxColoredCodeView;

// A fenced code block: a header band with the language and a copy button over
// the coloured code, which scrolls sideways when its lines are long.
class CodeBlockView : public SidewaysBlockView
{
    Q_OBJECT

public:
    CodeBlockView(const QString &lang, const QString &codeBody, QWidget *parent = nullptr);

    QString lang() const { return m_lang; }
    QString codeBody() const { return m_codeBody; }
    void setCodeBody(const QString &codeBody);
    bool copied() const { return m_copied; }
    QAbstractButton *copyButton() const { return m_copyButton; }
    SyntaxColoredCodeView *codeView() const { return m_code; }

    int idealWidth() const override;
    int heightForWidth(int width) const override;

protected:
    void paintEvent(QPaintEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;
    void changeEvent(QEvent *event) override;

private:
    void showLabelColour();
    void copyCode();
    void setCopied(bool copied);
    int headerHeight() const;
    int headerWidth() const;

    QString m_lang;
    QString m_codeBody;
    bool m_copied = false;
    QLabel *m_label;
    QAbstractButton *m_copyButton;
    SyntaxColoredCodeView *m_code;
};
