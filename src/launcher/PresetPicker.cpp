// SPDX-License-Identifier: GPL-3.0-or-later
#include "launcher/PresetPicker.h"

#include "launcher/MultilineTextField.h"
#include "presets/PresetStore.h"
#include "ui/LauncherColors.h"
#include "ui/LauncherMetrics.h"
#include "ui/PixelFont.h"
#include "ui/RoundedCard.h"

#include <QFontMetrics>
#include <QKeyEvent>
#include <QPainter>

#include <optional>

namespace {

constexpr int kRowHeight = 30;
constexpr int kMaxRows = 5;
constexpr int kInset = 4;

// The text the list filters by: what follows "/" while the input is one word.
std::optional<QString> typedName(const QString &text)
{
    if (!text.startsWith(QLatin1Char('/')))
        return std::nullopt;
    for (const QChar c : text) {
        if (c.isSpace())
            return std::nullopt;
    }
    return text.mid(1);
}

} // namespace

PresetPicker::PresetPicker(PresetStore &store, MultilineTextField *field, QWidget *parent)
    : QWidget(parent)
    , m_store(store)
    , m_field(field)
{
    setObjectName(QStringLiteral("presetPicker"));
    setMouseTracking(true);
    setSizePolicy(QSizePolicy::Preferred, QSizePolicy::Fixed);
    hide();
    m_field->installEventFilter(this);
    connect(m_field, &QPlainTextEdit::textChanged, this, &PresetPicker::follow);
    connect(&m_store, &PresetStore::changed, this, &PresetPicker::follow);
}

QStringList PresetPicker::shownNames() const
{
    QStringList names;
    if (isVisible())
        for (const Preset &preset : m_shown)
            names << preset.name;
    return names;
}

void PresetPicker::follow()
{
    const QString text = m_field->toPlainText();
    const std::optional<QString> typed = typedName(text);
    if (text != m_dismissedText)
        m_dismissedText.clear();
    const QString previous = m_current < m_shown.size() ? m_shown.at(m_current).name : QString();
    m_shown.clear();
    if (typed && m_dismissedText.isEmpty()) {
        m_store.refresh();
        // Names that start with the typed text first, then those that hold it.
        QList<Preset> holding;
        for (const Preset &preset : m_store.presets()) {
            if (preset.name.startsWith(*typed, Qt::CaseInsensitive))
                m_shown << preset;
            else if (preset.name.contains(*typed, Qt::CaseInsensitive))
                holding << preset;
        }
        m_shown << holding;
    }
    m_current = 0;
    for (int i = 0; i < m_shown.size(); ++i) {
        if (m_shown.at(i).name == previous)
            m_current = i;
    }
    setVisible(!m_shown.isEmpty());
    updateGeometry();
    update();
}

void PresetPicker::choose(int row)
{
    if (row < 0 || row >= m_shown.size())
        return;
    const QString text = QLatin1Char('/') + m_shown.at(row).name + QLatin1Char(' ');
    Q_EMIT chosen(text);
}

bool PresetPicker::eventFilter(QObject *watched, QEvent *event)
{
    if (watched != m_field || !isVisible())
        return QWidget::eventFilter(watched, event);
    if (event->type() != QEvent::KeyPress && event->type() != QEvent::ShortcutOverride)
        return QWidget::eventFilter(watched, event);
    auto *key = static_cast<QKeyEvent *>(event);
    const bool plain = (key->modifiers() & ~Qt::KeypadModifier) == Qt::NoModifier;
    const int code = key->key();
    const bool ours = plain
        && (code == Qt::Key_Up || code == Qt::Key_Down || code == Qt::Key_Tab || code == Qt::Key_Return
            || code == Qt::Key_Enter || code == Qt::Key_Escape);
    if (!ours)
        return QWidget::eventFilter(watched, event);
    const bool typedInFull = m_field->toPlainText() == QLatin1Char('/') + m_shown.value(m_current).name;
    // A name typed in full is sent by Return, as any prompt is.
    if ((code == Qt::Key_Return || code == Qt::Key_Enter) && typedInFull)
        return QWidget::eventFilter(watched, event);
    // Take Esc before the panel's shortcut does, so it closes the list, not the panel.
    if (event->type() == QEvent::ShortcutOverride) {
        event->accept();
        return true;
    }
    if (code == Qt::Key_Up || code == Qt::Key_Down) {
        const int step = code == Qt::Key_Up ? -1 : 1;
        m_current = int((m_current + step + m_shown.size()) % m_shown.size());
        update();
    } else if (code == Qt::Key_Escape) {
        m_dismissedText = m_field->toPlainText();
        hide();
    } else {
        choose(m_current);
    }
    return true;
}

QSize PresetPicker::sizeHint() const
{
    const int rows = int(qMin<qsizetype>(m_shown.size(), kMaxRows));
    return {200, rows * kRowHeight + 2 * kInset};
}

QRect PresetPicker::rowRect(int row) const
{
    // The marked row stays in view when the list is longer than the window.
    const int first = qMax(0, m_current - kMaxRows + 1);
    return {kInset, kInset + (row - first) * kRowHeight, width() - 2 * kInset, kRowHeight};
}

int PresetPicker::rowAt(const QPoint &point) const
{
    for (int row = 0; row < m_shown.size(); ++row) {
        if (rowRect(row).contains(point))
            return row;
    }
    return -1;
}

void PresetPicker::mousePressEvent(QMouseEvent *event)
{
    choose(rowAt(event->position().toPoint()));
}

void PresetPicker::mouseMoveEvent(QMouseEvent *event)
{
    const int row = rowAt(event->position().toPoint());
    if (row >= 0 && row != m_current) {
        m_current = row;
        update();
    }
}

void PresetPicker::paintEvent(QPaintEvent *)
{
    const LauncherColors colors = LauncherColors::of(this);
    QPainter painter(this);
    paintRoundedCard(painter, rect(), 12, {withOpacity(colors.controlBackground, 0.6)},
                     withOpacity(colors.secondary, 0.2));
    const QFont nameFont = pixelFont(font(), 13, QFont::DemiBold);
    const QFont noteFont = pixelFont(font(), 12);
    // One column of names, as wide as the longest shown (up to a third of the row).
    int nameWidth = 0;
    for (const Preset &preset : m_shown)
        nameWidth = qMax(nameWidth, QFontMetrics(nameFont).horizontalAdvance(QLatin1Char('/') + preset.name));
    nameWidth = qBound(80, nameWidth + 24, width() / 3);
    painter.setClipRect(rect().adjusted(kInset, kInset, -kInset, -kInset));
    for (int row = 0; row < m_shown.size(); ++row) {
        const QRect line = rowRect(row);
        if (!line.intersects(rect()))
            continue;
        const Preset &preset = m_shown.at(row);
        if (row == m_current) {
            painter.setPen(Qt::NoPen);
            painter.setBrush(withOpacity(colors.accent, colors.dark ? 0.35 : 0.18));
            painter.drawRoundedRect(line, 8, 8);
        }
        const QRect text = line.adjusted(10, 0, -10, 0);
        painter.setFont(nameFont);
        painter.setPen(colors.primary);
        const QRect nameRect(text.topLeft(), QSize(nameWidth - 12, text.height()));
        painter.drawText(
            nameRect, Qt::AlignVCenter | Qt::AlignLeft,
            QFontMetrics(nameFont).elidedText(QLatin1Char('/') + preset.name, Qt::ElideRight, nameRect.width()));
        QString note = preset.instructions.section(QLatin1Char('\n'), 0, 0);
        if (!preset.provider.isEmpty() || !preset.model.isEmpty())
            note = preset.caption().mid(preset.name.size() + 3) + QStringLiteral(" \u2014 ") + note;
        painter.setFont(noteFont);
        painter.setPen(colors.secondary);
        const QRect noteRect = text.adjusted(nameWidth, 0, 0, 0);
        painter.drawText(noteRect, Qt::AlignVCenter | Qt::AlignLeft,
                         QFontMetrics(noteFont).elidedText(note, Qt::ElideRight, noteRect.width()));
    }
}
