// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "text/MarkdownBlock.h"

#include "content/SidewaysBlockView.h"

#include <QTextEdit>

class QTextTable;

// A GitHub table: header row, column alignment, cell borders and inline
// Markdown in the cells. At its natural width; wider than the bubble, it
// scrolls sideways (hover bar, Shift+wheel). Rows that only grew at the
// end are added, not rebuilt.
class MarkdownTableView : public SidewaysBlockView
{
    Q_OBJECT

public:
    explicit MarkdownTableView(QWidget *parent = nullptr);

    void setTable(const MarkdownBlock &table);
    const MarkdownBlock &table() const { return m_table; }
    QTextEdit *grid() const { return m_grid; }
    QTextTable *textTable() const;

    int idealWidth() const override;
    int heightForWidth(int width) const override;

protected:
    void resizeEvent(QResizeEvent *event) override;

private:
    void rebuild();
    void fillRow(QTextTable *table, int row);
    int gridHeight() const;

    MarkdownBlock m_table;
    QTextEdit *m_grid;
};
