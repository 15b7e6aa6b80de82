// SPDX-License-Identifier: GPL-3.0-or-later
#include "launcher/FloatingNotice.h"

#include "ui/LauncherColors.h"
#include "ui/RoundedCard.h"

#include <QMouseEvent>
#include <QPainter>
#include <QTimer>

namespace {
constexpr int kShownMs = 8000;
constexpr int kMargin = 8;
const char *const kName = "floatingNotice";
} // namespace

FloatingNotice::FloatingNotice(const QString &text, QWidget *parent)
    : QLabel(text, parent)
{
    setObjectName(QLatin1String(kName));
    setWordWrap(true);
    setContentsMargins(10, 6, 10, 6);
    setAccessibleName(text);
    QTimer::singleShot(kShownMs, this, &QObject::deleteLater);
}

FloatingNotice *FloatingNotice::showAbove(QWidget *container, QWidget *anchor, const QString &text)
{
    delete container->findChild<FloatingNotice *>(QLatin1String(kName), Qt::FindDirectChildrenOnly);
    auto *notice = new FloatingNotice(text, container);
    const int width = std::min(420, container->width() - 2 * kMargin);
    notice->setFixedWidth(width);
    notice->adjustSize();
    const QPoint at = anchor->mapTo(container, QPoint(0, 0));
    notice->move(std::clamp(at.x(), kMargin, container->width() - width - kMargin),
                 std::max(kMargin, at.y() - notice->height() - kMargin));
    notice->show();
    notice->raise();
    return notice;
}

void FloatingNotice::mousePressEvent(QMouseEvent *event)
{
    event->accept();
    deleteLater();
}

void FloatingNotice::paintEvent(QPaintEvent *event)
{
    const LauncherColors colors = LauncherColors::of(this);
    QPainter painter(this);
    // Opaque: it floats over the text field and the conversation.
    paintRoundedCard(painter, rect(), 8, {colors.dark ? QColor(0x2c, 0x2c, 0x2e) : QColor(0xfd, 0xfb, 0xf6)},
                     withOpacity(colors.orange, 0.8));
    painter.end();
    QLabel::paintEvent(event);
}
