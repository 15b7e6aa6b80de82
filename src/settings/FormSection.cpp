// SPDX-License-Identifier: GPL-3.0-or-later
#include "settings/FormSection.h"

#include "ui/PaletteFollower.h"
#include "ui/PixelFont.h"
#include "ui/SettingsColors.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QPainter>

namespace {

constexpr qreal kGroupRadius = 8;
constexpr int kRowHeight = 36;
constexpr int kHorizontalPadding = 12;

QFont headlineFont(const QWidget *widget)
{
    return pixelFont(widget->font(), 13, QFont::DemiBold);
}

QFont captionFont(const QWidget *widget)
{
    return pixelFont(widget->font(), 11);
}

void useTone(QLabel *label, FormSection::Tone tone, const QWidget *section)
{
    QPalette palette = label->palette();
    const bool problem = tone == FormSection::Tone::Problem;
    palette.setColor(QPalette::WindowText,
                     problem ? SettingsColors::systemRed(section) : SettingsColors::secondaryLabel(section));
    label->setPalette(palette);
}

} // namespace

// The rounded group behind the rows, with a line between visible rows.
class FormSection::Group : public QWidget
{
public:
    using QWidget::QWidget;

protected:
    void paintEvent(QPaintEvent *) override
    {
        using namespace SettingsColors;
        QPainter painter(this);
        painter.setRenderHint(QPainter::Antialiasing);
        painter.setPen(QPen(separator(this), 1));
        painter.setBrush(withOpacity(label(this), isDark(this) ? 0.05 : 0.03));
        painter.drawRoundedRect(QRectF(rect()).adjusted(0.5, 0.5, -0.5, -0.5), kGroupRadius, kGroupRadius);

        bool first = true;
        for (const QObject *child : children()) {
            const auto *row = qobject_cast<const QWidget *>(child);
            if (!row || row->isHidden())
                continue;
            if (!first) {
                const qreal y = row->geometry().top() + 0.5;
                painter.drawLine(QPointF(kHorizontalPadding, y), QPointF(width() - kHorizontalPadding, y));
            }
            first = false;
        }
    }
};

FormSection::FormSection(const QString &title, QWidget *parent)
    : QWidget(parent)
    , m_group(new Group(this))
    , m_rows(new QVBoxLayout(m_group))
{
    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(6);
    auto *header = new QLabel(title, this);
    header->setFont(headlineFont(this));
    header->setContentsMargins(kHorizontalPadding / 2, 0, 0, 0);
    m_toned.append({header, Tone::Secondary});
    useTone(header, Tone::Secondary, this);
    layout->addWidget(header);
    layout->addWidget(m_group);
    m_rows->setContentsMargins(kHorizontalPadding, 0, kHorizontalPadding, 0);
    m_rows->setSpacing(0);
    // The desktop switched between light and dark: the captions follow.
    new PaletteFollower(this, [this] {
        for (const auto &[label, tone] : std::as_const(m_toned))
            useTone(label, tone, this);
    });
}

QWidget *FormSection::addRow(const QString &label, QWidget *control)
{
    auto *row = new QWidget(m_group);
    row->setMinimumHeight(kRowHeight);
    auto *layout = new QHBoxLayout(row);
    layout->setContentsMargins(0, 4, 0, 4);
    auto *text = new QLabel(label, row);
    text->setBuddy(control);
    layout->addWidget(text);
    layout->addStretch(1);
    layout->addWidget(control);
    m_rows->addWidget(row);
    return row;
}

QLabel *FormSection::addCaption(const QString &text, Tone tone)
{
    auto *caption = new QLabel(text, m_group);
    caption->setWordWrap(true);
    caption->setFont(captionFont(this));
    caption->setContentsMargins(0, 7, 0, 7);
    m_toned.append({caption, tone});
    useTone(caption, tone, this);
    m_rows->addWidget(caption);
    return caption;
}
