#pragma once

#include <QWidget>

class HoverScrollBar;
class QAbstractButton;
class QLabel;
class SyntaxColoredCodeView;

// A fenced code block: a header band with the language and a copy button over
// the coloured code, which scrolls sideways when its lines are long.
class CodeBlockView : public QWidget
{
    Q_OBJECT

public:
    CodeBlockView(const QString &lang, const QString &codeBody, QWidget *parent = nullptr);
    ~CodeBlockView() override;

    QString lang() const { return m_lang; }
    QString codeBody() const { return m_codeBody; }
    void setCodeBody(const QString &codeBody);
    bool copied() const { return m_copied; }
    QAbstractButton *copyButton() const { return m_copyButton; }
    SyntaxColoredCodeView *codeView() const { return m_code; }
    HoverScrollBar *sidewaysBar() const { return m_bar; }

    int idealWidth() const;
    int heightForWidth(int width) const override;
    bool hasHeightForWidth() const override { return true; }

Q_SIGNALS:
    void contentSizeChanged();

protected:
    void paintEvent(QPaintEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;

private:
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
    HoverScrollBar *m_bar;
};
