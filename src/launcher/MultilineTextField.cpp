// SPDX-License-Identifier: GPL-3.0-or-later
#include "launcher/MultilineTextField.h"
#include "ui/BareScrollArea.h"
#include "ui/PixelFont.h"

#include <QKeyEvent>
#include <QMimeData>
#include <QScrollBar>
#include <QTextBlock>
#include <QUrl>

MultilineTextField::MultilineTextField(QWidget *parent)
    : QPlainTextEdit(parent)
{
    makeBare(this);
    setLineWrapMode(QPlainTextEdit::WidgetWidth);
    // Tab is the text's own: it inserts a tab.
    setTabChangesFocus(false);
    const QFont font = pixelFont(this->font(), 14);
    setFont(font);
    setTabStopDistance(QFontMetricsF(font).horizontalAdvance(QLatin1Char(' ')) * 4);
    document()->setDocumentMargin(0);
    setViewportMargins(0, 2, 0, 2);
    setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Preferred);

    connect(document(), &QTextDocument::contentsChanged, this, [this] {
        updateGeometry();
        if (!m_settingText)
            Q_EMIT textEdited(toPlainText());
    });
}

void MultilineTextField::setText(const QString &text)
{
    if (text == toPlainText())
        return;
    const int start = textCursor().selectionStart();
    m_settingText = true;
    setPlainText(text);
    m_settingText = false;
    QTextCursor caret = textCursor();
    caret.setPosition(qMin(start, int(text.size())));
    setTextCursor(caret);
}

void MultilineTextField::setHeightLimits(int minimum, int maximum)
{
    m_minimumHeight = minimum;
    m_maximumHeight = maximum;
    updateGeometry();
}

int MultilineTextField::contentHeight() const
{
    // The plain-text layout measures the document in lines.
    const qreal lines = qMax<qreal>(1, document()->size().height());
    return qRound(lines * fontMetrics().lineSpacing()) + 4;
}

QSize MultilineTextField::sizeHint() const
{
    return QSize(200, qBound(m_minimumHeight, contentHeight(), m_maximumHeight));
}

QSize MultilineTextField::minimumSizeHint() const
{
    return QSize(50, m_minimumHeight);
}

void MultilineTextField::keyPressEvent(QKeyEvent *event)
{
    if (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) {
        if (event->modifiers() & Qt::ShiftModifier) {
            textCursor().insertText(QStringLiteral("\n"));
            ensureCursorVisible();
        } else {
            Q_EMIT submitted();
        }
        event->accept();
        return;
    }
    if (event->keyCombination() == QKeyCombination(Qt::Key_Up) && document()->isEmpty()) {
        Q_EMIT recallRequested();
        event->accept();
        return;
    }
    QPlainTextEdit::keyPressEvent(event);
}

namespace {
// The local files a paste or drop carries; empty when anything else is among them.
QStringList localFiles(const QMimeData *source)
{
    QStringList paths;
    for (const QUrl &url : source->urls()) {
        if (!url.isLocalFile())
            return {};
        paths.append(url.toLocalFile());
    }
    return paths;
}
} // namespace

bool MultilineTextField::canInsertFromMimeData(const QMimeData *source) const
{
    return !localFiles(source).isEmpty() || QPlainTextEdit::canInsertFromMimeData(source);
}

void MultilineTextField::insertFromMimeData(const QMimeData *source)
{
    if (const QStringList paths = localFiles(source); !paths.isEmpty()) {
        Q_EMIT filesPasted(paths);
        return;
    }
    // Plain text only: styled text arrives without its styling.
    if (source->hasText())
        textCursor().insertText(source->text());
}
