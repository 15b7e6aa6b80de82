// SPDX-License-Identifier: GPL-3.0-or-later
#include "launcher/FileChipStrip.h"

#include "launcher/FileChip.h"
#include "ui/ColorOpacity.h"
#include "ui/LauncherColors.h"
#include "ui/LauncherMetrics.h"

#include <QPainter>

namespace {

constexpr int kSpacing = 6;

} // namespace

FileChipStrip::FileChipStrip(Use use, QWidget *parent)
    : QWidget(parent)
    , m_use(use)
{
    QSizePolicy policy(QSizePolicy::Preferred, QSizePolicy::Fixed);
    policy.setHeightForWidth(true);
    setSizePolicy(policy);
}

void FileChipStrip::setFiles(const QList<FileAttachment> &files)
{
    qDeleteAll(m_chips);
    m_chips.clear();
    for (qsizetype i = 0; i < files.size(); ++i) {
        auto *chip = new FileChip(files.at(i), m_use == Use::Pending, this);
        const int index = int(i);
        connect(chip, &FileChip::removeRequested, this, [this, index] { Q_EMIT removeRequested(index); });
        if (m_use == Use::Sent)
            connect(chip, &QAbstractButton::clicked, this, [this, index] { Q_EMIT openRequested(index); });
        chip->show();
        m_chips.append(chip);
    }
    arrange(width(), true);
    updateGeometry();
}

int FileChipStrip::arrange(int width, bool place) const
{
    const QMargins margins =
        m_use == Use::Pending ? QMargins(LauncherMetrics::edgeInset, 8, LauncherMetrics::edgeInset, 8) : QMargins();
    const int room = std::max(1, width - margins.left() - margins.right());
    // Rows are filled first, then each placed at the sender's edge when sent.
    QList<QList<FileChip *>> rows(1);
    int used = 0;
    for (FileChip *chip : m_chips) {
        const int w = std::min(chip->sizeHint().width(), room);
        if (!rows.last().isEmpty() && used + kSpacing + w > room) {
            rows.append(QList<FileChip *>());
            used = 0;
        }
        used += (rows.last().isEmpty() ? 0 : kSpacing) + w;
        rows.last().append(chip);
    }
    int y = margins.top();
    for (const QList<FileChip *> &row : rows) {
        int rowWidth = -kSpacing;
        int rowHeight = 0;
        for (FileChip *chip : row) {
            rowWidth += kSpacing + std::min(chip->sizeHint().width(), room);
            rowHeight = std::max(rowHeight, chip->sizeHint().height());
        }
        int x = m_use == Use::Sent ? width - margins.right() - rowWidth : margins.left();
        for (FileChip *chip : row) {
            const int w = std::min(chip->sizeHint().width(), room);
            if (place)
                chip->setGeometry(x, y, w, chip->sizeHint().height());
            x += w + kSpacing;
        }
        y += rowHeight + kSpacing;
    }
    return m_chips.isEmpty() ? 0 : y - kSpacing + margins.bottom();
}

int FileChipStrip::heightForWidth(int width) const
{
    return arrange(width, false);
}

QSize FileChipStrip::sizeHint() const
{
    return {200, heightForWidth(width() > 0 ? width() : 600)};
}

void FileChipStrip::resizeEvent(QResizeEvent *)
{
    arrange(width(), true);
}

void FileChipStrip::paintEvent(QPaintEvent *)
{
    if (m_use != Use::Pending)
        return;
    QPainter painter(this);
    painter.fillRect(rect(), withOpacity(LauncherColors::of(this).quaternaryFill, 0.3));
}
