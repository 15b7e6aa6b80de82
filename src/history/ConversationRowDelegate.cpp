#include "history/ConversationRowDelegate.h"

#include "history/ConversationListModel.h"
#include "store/RelativeDate.h"
#include "ui/LauncherColors.h"

#include <QAbstractItemView>
#include <QPainter>
#include <QPainterPath>
#include <QTextLayout>

namespace {

constexpr int kPadX = 10;
constexpr int kPadY = 8;
constexpr int kLineSpacing = 3;
constexpr int kRowGap = 2;

} // namespace

ConversationRowDelegate::ConversationRowDelegate(ActiveID activeID, QObject *parent)
    : QStyledItemDelegate(parent)
    , m_activeID(std::move(activeID))
{
}

QFont ConversationRowDelegate::titleFont(const QFont &base)
{
    QFont font = base;
    font.setPixelSize(11);
    font.setWeight(QFont::Medium);
    return font;
}

QFont ConversationRowDelegate::dateFont(const QFont &base)
{
    QFont font = base;
    font.setPixelSize(9);
    font.setWeight(QFont::Normal);
    return font;
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
    const int height = kPadY * 2 + lines * QFontMetrics(title).height() + kLineSpacing +
                       QFontMetrics(dateFont(option.font)).height();
    return QSize(rowWidth, height + kRowGap);
}

void ConversationRowDelegate::paint(QPainter *painter, const QStyleOptionViewItem &option,
                                    const QModelIndex &index) const
{
    const LauncherColors colors = LauncherColors::forAppearance(
        option.palette.color(QPalette::WindowText).lightness() > 128);
    const QRect row = option.rect.adjusted(0, 0, 0, -kRowGap);
    const bool active = !m_activeID().isNull() && m_activeID() == index.data(ConversationListModel::IdRole).toUuid();
    painter->save();
    painter->setRenderHint(QPainter::Antialiasing);
    if (active) {
        QPainterPath shape;
        shape.addRoundedRect(QRectF(row).adjusted(0.5, 0.5, -0.5, -0.5), 8, 8);
        QLinearGradient fill(row.topLeft(), row.bottomRight());
        fill.setColorAt(0, withOpacity(colors.green, 0.15));
        fill.setColorAt(1, withOpacity(colors.yellow, 0.1));
        painter->fillPath(shape, fill);
        painter->setPen(QPen(withOpacity(colors.green, 0.3), 1));
        painter->drawPath(shape);
    }
    // White on the highlight reads on the dark panel; the light one keeps primary.
    const QColor activeText = colors.dark ? QColor(Qt::white) : colors.primary;
    const int width = qMax(1, row.width() - kPadX * 2);
    const QFont title = titleFont(option.font);
    const QFontMetrics titleMetrics(title);
    int y = row.top() + kPadY;
    painter->setFont(title);
    painter->setPen(active ? activeText : colors.primary);
    for (const QString &line : titleLines(index.data(ConversationListModel::TitleRole).toString(), title, width)) {
        painter->drawText(QRect(row.left() + kPadX, y, width, titleMetrics.height()), Qt::AlignLeft | Qt::AlignVCenter,
                          line);
        y += titleMetrics.height();
    }
    y += kLineSpacing;
    const QFont date = dateFont(option.font);
    painter->setFont(date);
    painter->setPen(active ? withOpacity(activeText, 0.65) : colors.secondary);
    painter->drawText(QRect(row.left() + kPadX, y, width, QFontMetrics(date).height()), Qt::AlignLeft | Qt::AlignVCenter,
                      relativeDateText(index.data(ConversationListModel::DateRole).toDateTime()));
    painter->restore();
}
