// SPDX-License-Identifier: GPL-3.0-or-later
#include "content/MarkdownTableView.h"

#include "content/FormulaObject.h"
#include "content/FormulaText.h"
#include "content/HoverScrollBar.h"
#include "content/InlineRendering.h"
#include "ui/BareScrollArea.h"
#include "ui/LauncherColors.h"
#include "ui/PixelFont.h"

#include <QMimeData>
#include <QScrollBar>
#include <QTextCursor>
#include <QTextDocument>
#include <QTextTable>
#include <QWheelEvent>

namespace {

// The grid: selectable, never scrolls up and down on its own, Shift+wheel sideways.
class TableGrid : public QTextEdit
{
public:
    explicit TableGrid(QWidget *parent)
        : QTextEdit(parent)
    {
        setReadOnly(true);
        setTextInteractionFlags(Qt::TextSelectableByMouse | Qt::TextSelectableByKeyboard);
        makeBare(this);
        setLineWrapMode(QTextEdit::NoWrap);
        setUndoRedoEnabled(false);
        setFocusPolicy(Qt::ClickFocus);
        document()->setDocumentMargin(1);
        document()->setUndoRedoEnabled(false);
        const QFont font = pixelFont(this->font(), 14);
        setFont(font);
        document()->setDefaultFont(font);
    }

protected:
    void wheelEvent(QWheelEvent *event) override
    {
        if (!scrollSideways(this, event))
            event->ignore();
    }
    QMimeData *createMimeDataFromSelection() const override
    {
        auto *data = new QMimeData;
        const QTextCursor selection = textCursor();
        data->setText(formulaAwareText(document(), selection.selectionStart(), selection.selectionEnd()));
        return data;
    }
};

Qt::Alignment alignmentOf(MarkdownAlign align)
{
    switch (align) {
    case MarkdownAlign::Center:
        return Qt::AlignHCenter;
    case MarkdownAlign::Right:
        return Qt::AlignRight;
    default:
        return Qt::AlignLeft;
    }
}

} // namespace

MarkdownTableView::MarkdownTableView(QWidget *parent)
    : SidewaysBlockView(parent)
    , m_grid(new TableGrid(this))
{
    scrollSidewaysWith(m_grid);
    connect(new FormulaObject(m_grid), &FormulaObject::formulasTypeset, this, [this] {
        resizeEvent(nullptr);
        Q_EMIT contentSizeChanged();
    });
}

QTextTable *MarkdownTableView::textTable() const
{
    QTextCursor cursor(m_grid->document());
    cursor.movePosition(QTextCursor::NextBlock);
    return cursor.currentTable();
}

void MarkdownTableView::setTable(const MarkdownBlock &table)
{
    if (table == m_table)
        return;
    const MarkdownBlock old = std::exchange(m_table, table);
    QTextTable *grid = textTable();
    // Same columns and header, rows that only grew or changed in the last one: touch those.
    const bool sameFrame = grid && old.aligns == table.aligns && !old.rows.isEmpty() && !table.rows.isEmpty()
        && old.rows.first() == table.rows.first() && table.rows.size() >= old.rows.size();
    if (!sameFrame) {
        rebuild();
    } else {
        int first = int(old.rows.size());
        for (int row = 1; row < old.rows.size(); ++row) {
            if (old.rows.at(row) != table.rows.at(row)) {
                first = row;
                break;
            }
        }
        QTextCursor edit(m_grid->document());
        edit.beginEditBlock();
        if (first < old.rows.size())
            grid->removeRows(first, int(old.rows.size()) - first);
        if (table.rows.size() > first)
            grid->appendRows(int(table.rows.size()) - first);
        for (int row = first; row < table.rows.size(); ++row)
            fillRow(grid, row);
        edit.endEditBlock();
    }
    resizeEvent(nullptr);
    Q_EMIT contentSizeChanged();
}

void MarkdownTableView::rebuild()
{
    QTextDocument *document = m_grid->document();
    document->clear();
    if (m_table.rows.isEmpty() || m_table.aligns.isEmpty())
        return;
    const LauncherColors colors = LauncherColors::of(this);
    QTextTableFormat format;
    format.setBorderCollapse(true);
    format.setBorder(1);
    format.setBorderBrush(withOpacity(colors.secondary, 0.45));
    format.setBorderStyle(QTextFrameFormat::BorderStyle_Solid);
    format.setCellPadding(5);
    format.setCellSpacing(0);
    format.setHeaderRowCount(1);
    QTextCursor cursor(document);
    cursor.beginEditBlock();
    QTextTable *table = cursor.insertTable(int(m_table.rows.size()), int(m_table.aligns.size()), format);
    for (int row = 0; row < m_table.rows.size(); ++row)
        fillRow(table, row);
    cursor.endEditBlock();
}

void MarkdownTableView::fillRow(QTextTable *table, int row)
{
    const QStringList &cells = m_table.rows.at(row);
    const LauncherColors colors = LauncherColors::of(this);
    for (int column = 0; column < m_table.aligns.size(); ++column) {
        QTextTableCell cell = table->cellAt(row, column);
        if (row == 0) {
            QTextCharFormat shade = cell.format();
            shade.setBackground(withOpacity(colors.secondary, 0.14));
            cell.setFormat(shade);
        }
        QTextCursor cursor = cell.firstCursorPosition();
        QTextBlockFormat align;
        align.setAlignment(alignmentOf(m_table.aligns.at(column)));
        cursor.setBlockFormat(align);
        QTextCharFormat base;
        QFont font = m_grid->document()->defaultFont();
        if (row == 0)
            font.setWeight(QFont::DemiBold);
        base.setFont(font);
        insertInlineMarkdown(cursor, column < cells.size() ? cells.at(column) : QString(), base);
    }
}

int MarkdownTableView::gridHeight() const
{
    return qCeil(m_grid->document()->size().height());
}

int MarkdownTableView::idealWidth() const
{
    return qCeil(m_grid->document()->idealWidth()) + 2;
}

int MarkdownTableView::heightForWidth(int width) const
{
    // Room for the sideways bar when the table is wider than the bubble.
    return gridHeight() + (idealWidth() > width ? HoverScrollBar::kThickness + 2 : 0);
}

void MarkdownTableView::resizeEvent(QResizeEvent *)
{
    m_grid->setGeometry(0, 0, width(), gridHeight());
    sidewaysBar()->setGeometry(0, gridHeight() + 2, width(), HoverScrollBar::kThickness);
}
