// SPDX-License-Identifier: GPL-3.0-or-later
#include "history/ConversationRowDelegate.h"

#include "history/ConversationListModel.h"
#include "store/RelativeDate.h"
#include "ui/LauncherColors.h"
#include "ui/PixelFont.h"
#include "ui/RoundedCard.h"

#include <QAbstractItemView>
#include <QPainter>
#include <QTextLayout>

#include <algorithm>

namespace {

constexpr int kPadX = 10;
constexpr int kPadY = 8;
constexpr int kLineSpacing = 3;
constexpr int kRowGap = 2;

using ConversationSearch::Range;

// One line of a title or snippet, with the matches inside it on a yellow mark.
void drawMarkedLine(QPainter *painter, const QRect &rect, const QString &line, qsizetype offset,
                    const QList<Range> &matches, const QFont &font, const QColor &mark)
{
    QList<QTextLayout::FormatRange> formats;
    for (const Range &match : matches) {
        const qsizetype start = std::max(match.start - offset, qsizetype(0));
        const qsizetype end = std::min(match.start + match.length - offset, line.size());
        if (end <= start)
            continue;
        QTextLayout::FormatRange format;
        format.start = int(start);
        format.length = int(end - start);
        format.format.setBackground(mark);
        formats.append(format);
    }
    if (formats.isEmpty()) {
        painter->drawText(rect, Qt::AlignLeft | Qt::AlignVCenter, line);
        return;
    }
    QTextLayout layout(line, font);
    layout.setFormats(formats);
    layout.beginLayout();
    QTextLine text = layout.createLine();
    text.setLineWidth(rect.width());
    layout.endLayout();
    const qreal top = rect.top() + (rect.height() - text.height()) / 2;
    layout.draw(painter, QPointF(rect.left(), top));
}

// Where each shown line starts in the full text (the wrap drops no characters but line breaks).
QList<qsizetype> lineOffsets(const QString &text, const QStringList &lines)
{
    QList<qsizetype> offsets;
    qsizetype cursor = 0;
    for (const QString &line : lines) {
        // A line cut short ends in the elision mark, which the text does not hold there.
        QString head = line.left(6);
        if (head.size() > 1 && head.endsWith(QChar(0x2026)) && head.size() == line.size())
            head.chop(1);
        const qsizetype at = head.isEmpty() ? -1 : text.indexOf(head, cursor);
        offsets.append(at >= 0 ? at : cursor);
        cursor = offsets.last() + line.size();
    }
    return offsets;
}

} // namespace

ConversationRowDelegate::ConversationRowDelegate(ActiveID activeID, QObject *parent)
    : QStyledItemDelegate(parent)
    , m_activeID(std::move(activeID))
{
}

QFont ConversationRowDelegate::titleFont(const QFont &base)
{
    return pixelFont(base, 11, QFont::Medium);
}

QFont ConversationRowDelegate::dateFont(const QFont &base)
{
    return pixelFont(base, 9, QFont::Normal);
}

QFont ConversationRowDelegate::snippetFont(const QFont &base)
{
    return pixelFont(base, 10, QFont::Normal);
}

QStringList ConversationRowDelegate::titleLines(const QString &title, const QFont &font, int width)
{
    QString text = title;
    text.replace(QLatin1Char('\n'), QChar::LineSeparator);
    QTextLayout layout(text, font);
    QTextOption option;
    option.setWrapMode(QTextOption::WrapAtWordBoundaryOrAnywhere);
    layout.setTextOption(option);
    QStringList lines;
    layout.beginLayout();
    for (QTextLine line = layout.createLine(); line.isValid(); line = layout.createLine()) {
        line.setLineWidth(width);
        if (lines.size() == 1) {
            // The second line takes the rest of the title, cut at its end.
            QString rest = text.mid(line.textStart());
            rest.replace(QChar::LineSeparator, QLatin1Char(' '));
            lines.append(QFontMetrics(font).elidedText(rest, Qt::ElideRight, width));
            break;
        }
        lines.append(text.mid(line.textStart(), line.textLength()).remove(QChar::LineSeparator));
    }
    layout.endLayout();
    if (lines.isEmpty())
        lines.append(QString());
    return lines;
}

QSize ConversationRowDelegate::sizeHint(const QStyleOptionViewItem &option, const QModelIndex &index) const
{
    // The list asks before it knows the row's rectangle: rows span its viewport.
    const auto *view = qobject_cast<const QAbstractItemView *>(option.widget);
    const int rowWidth = view ? view->viewport()->width() : option.rect.width();
    const int width = qMax(1, rowWidth - kPadX * 2);
    const QFont title = titleFont(option.font);
    const int lines = int(titleLines(index.data(ConversationListModel::TitleRole).toString(), title, width).size());
    int height =
        kPadY * 2 + lines * QFontMetrics(title).height() + kLineSpacing + QFontMetrics(dateFont(option.font)).height();
    const QString snippet = index.data(ConversationListModel::SnippetRole).toString();
    if (!snippet.isEmpty()) {
        const QFont font = snippetFont(option.font);
        height += kLineSpacing + int(titleLines(snippet, font, width).size()) * QFontMetrics(font).height();
    }
    return QSize(rowWidth, height + kRowGap);
}

void ConversationRowDelegate::paint(QPainter *painter, const QStyleOptionViewItem &option,
                                    const QModelIndex &index) const
{
    const LauncherColors colors =
        LauncherColors::forAppearance(option.palette.color(QPalette::WindowText).lightness() > 128);
    const QRect row = option.rect.adjusted(0, 0, 0, -kRowGap);
    const bool active = !m_activeID().isNull() && m_activeID() == index.data(ConversationListModel::IdRole).toUuid();
    painter->save();
    painter->setRenderHint(QPainter::Antialiasing);
    if (active) {
        QLinearGradient fill(row.topLeft(), row.bottomRight());
        fill.setColorAt(0, withOpacity(colors.green, 0.15));
        fill.setColorAt(1, withOpacity(colors.yellow, 0.1));
        paintRoundedCard(*painter, row, 8, {fill}, withOpacity(colors.green, 0.3));
    }
    // White on the highlight reads on the dark panel; the light one keeps primary.
    const QColor activeText = colors.dark ? QColor(Qt::white) : colors.primary;
    const int width = qMax(1, row.width() - kPadX * 2);
    const QFont title = titleFont(option.font);
    const QFontMetrics titleMetrics(title);
    const QColor mark = withOpacity(colors.yellow, colors.dark ? 0.35 : 0.5);
    int y = row.top() + kPadY;
    painter->setFont(title);
    painter->setPen(active ? activeText : colors.primary);
    const QString titleText = index.data(ConversationListModel::TitleRole).toString();
    const QStringList lines = titleLines(titleText, title, width);
    const QList<qsizetype> offsets = lineOffsets(titleText, lines);
    const auto titleMatches = index.data(ConversationListModel::TitleMatchesRole).value<QList<Range>>();
    for (qsizetype i = 0; i < lines.size(); ++i) {
        drawMarkedLine(painter, QRect(row.left() + kPadX, y, width, titleMetrics.height()), lines.at(i), offsets.at(i),
                       titleMatches, title, mark);
        y += titleMetrics.height();
    }
    y += kLineSpacing;
    const QString snippet = index.data(ConversationListModel::SnippetRole).toString();
    if (!snippet.isEmpty()) {
        const QFont font = snippetFont(option.font);
        const int lineHeight = QFontMetrics(font).height();
        const QStringList snippetLines = titleLines(snippet, font, width);
        const QList<qsizetype> snippetOffsets = lineOffsets(snippet, snippetLines);
        const auto matches = index.data(ConversationListModel::SnippetMatchesRole).value<QList<Range>>();
        painter->setFont(font);
        painter->setPen(active ? withOpacity(activeText, 0.8) : colors.secondary);
        for (qsizetype i = 0; i < snippetLines.size(); ++i) {
            drawMarkedLine(painter, QRect(row.left() + kPadX, y, width, lineHeight), snippetLines.at(i),
                           snippetOffsets.at(i), matches, font, mark);
            y += lineHeight;
        }
        y += kLineSpacing;
    }
    const QFont date = dateFont(option.font);
    painter->setFont(date);
    painter->setPen(active ? withOpacity(activeText, 0.65) : colors.secondary);
    painter->drawText(QRect(row.left() + kPadX, y, width, QFontMetrics(date).height()),
                      Qt::AlignLeft | Qt::AlignVCenter,
                      relativeDateText(index.data(ConversationListModel::DateRole).toDateTime()));
    painter->restore();
}
