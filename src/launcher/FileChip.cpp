// SPDX-License-Identifier: GPL-3.0-or-later
#include "launcher/FileChip.h"

#include "core/AttachmentFiles.h"
#include "ui/ColorOpacity.h"
#include "ui/LauncherColors.h"
#include "ui/PixelFont.h"
#include "ui/RoundedCard.h"
#include "ui/SymbolButton.h"
#include "ui/SymbolIcon.h"

#include <QFontMetrics>
#include <QPainter>

namespace {

constexpr int kHeight = 30;
constexpr int kPadding = 9;
constexpr int kIcon = 14;
constexpr int kGap = 6;
constexpr int kNameWidth = 150;
constexpr int kNamePixels = 12;
constexpr int kSizePixels = 11;

} // namespace

FileChip::FileChip(const FileAttachment &file, bool removable, QWidget *parent)
    : QAbstractButton(parent)
    , m_symbol(file.isPdf() ? QStringLiteral("doc") : QStringLiteral("doc.text"))
    , m_name(file.name)
    , m_size(AttachmentFiles::sizeText(file.data.size()))
{
    setToolTip(removable ? file.name : QStringLiteral("Open %1").arg(file.name));
    setAccessibleName(file.name);
    setCursor(removable ? Qt::ArrowCursor : Qt::PointingHandCursor);
    if (removable) {
        m_remove = new SymbolButton(
            QStringLiteral("xmark.circle.fill"), 13, [](const LauncherColors &colors) { return colors.secondary; },
            this);
        m_remove->setGlyphColorRole(
            [](const LauncherColors &colors) { return colors.dark ? QColor(30, 30, 30) : QColor(Qt::white); });
        m_remove->setToolTip(QStringLiteral("Remove %1").arg(file.name));
        connect(m_remove, &QAbstractButton::clicked, this, &FileChip::removeRequested);
    }
}

QSize FileChip::sizeHint() const
{
    const QFontMetrics name(pixelFont(font(), kNamePixels, QFont::Medium));
    const QFontMetrics size(pixelFont(font(), kSizePixels));
    int width = kPadding + kIcon + kGap + std::min(name.horizontalAdvance(m_name), kNameWidth) + kGap
        + size.horizontalAdvance(m_size) + kPadding;
    if (m_remove)
        width += m_remove->sizeHint().width();
    return {width, kHeight};
}

void FileChip::resizeEvent(QResizeEvent *)
{
    if (!m_remove)
        return;
    const QSize button = m_remove->sizeHint();
    m_remove->setGeometry(width() - button.width() - 4, (height() - button.height()) / 2, button.width(),
                          button.height());
}

void FileChip::paintEvent(QPaintEvent *)
{
    const LauncherColors colors = LauncherColors::of(this);
    QPainter painter(this);
    // A card that stands out from the strip and from the panel in both appearances.
    const QColor fill =
        colors.dark ? QColor(255, 255, 255, isDown() ? 36 : 24) : QColor(255, 255, 255, isDown() ? 200 : 235);
    paintRoundedCard(painter, QRectF(rect()).adjusted(0.5, 0.5, -0.5, -0.5), 9, {fill}, colors.separator);

    const qreal dpr = devicePixelRatioF();
    int x = kPadding;
    painter.drawPixmap(QRect(x, (height() - kIcon) / 2, kIcon, kIcon),
                       symbolPixmap(m_symbol, kIcon, colors.secondary, dpr));
    x += kIcon + kGap;

    const QFont nameFont = pixelFont(font(), kNamePixels, QFont::Medium);
    const QFontMetrics nameMetrics(nameFont);
    const int removeWidth = m_remove ? m_remove->sizeHint().width() : 0;
    const QFont sizeFont = pixelFont(font(), kSizePixels);
    const int sizeWidth = QFontMetrics(sizeFont).horizontalAdvance(m_size);
    const int nameRoom = std::max(0, width() - x - kGap - sizeWidth - kPadding - removeWidth);
    const QString name = nameMetrics.elidedText(m_name, Qt::ElideMiddle, std::min(nameRoom, kNameWidth));
    painter.setFont(nameFont);
    painter.setPen(colors.primary);
    const int nameWidth = nameMetrics.horizontalAdvance(name);
    painter.drawText(QRect(x, 0, nameWidth, height()), Qt::AlignVCenter | Qt::AlignLeft, name);
    x += nameWidth + kGap;

    painter.setFont(sizeFont);
    painter.setPen(colors.secondary);
    painter.drawText(QRect(x, 0, sizeWidth, height()), Qt::AlignVCenter | Qt::AlignLeft, m_size);
}
