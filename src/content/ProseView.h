// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QTextEdit>

// Selectable prose with inline Markdown. Sized by its host: it lays its text
// out at a fixed width and reports the width its longest line needs, so a
// bubble can be as narrow as its text. Text that only grew is re-rendered
// from the start of its last paragraph, not from the top.
class ProseView : public QTextEdit
{
    Q_OBJECT

public:
    explicit ProseView(QWidget *parent = nullptr);

    void setRawText(const QString &text);

    void setLayoutWidth(int width);
    int idealWidth() const;
    int contentHeight() const;
    // What copying the selection puts on the clipboard: its plain text only.
    QMimeData *mimeDataOfSelection() const { return createMimeDataFromSelection(); }

Q_SIGNALS:
    void contentSizeChanged();
    // Formulas were typeset after their text was set: the height may differ.
    void formulasTypeset();

protected:
    void mouseReleaseEvent(QMouseEvent *event) override;
    void wheelEvent(QWheelEvent *event) override;
    QMimeData *createMimeDataFromSelection() const override;

private:
    void render(int from);

    QString m_raw;
    int m_layoutWidth = 0;
    // The raw text before m_stableLength is rendered for good; its rendering
    // ends at m_stableDocumentPosition.
    int m_stableLength = 0;
    int m_stableDocumentPosition = 0;
};
