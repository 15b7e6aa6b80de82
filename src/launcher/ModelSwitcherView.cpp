// SPDX-License-Identifier: GPL-3.0-or-later
#include "launcher/ModelSwitcherView.h"

#include "core/LauncherViewModel.h"
#include "core/ModelNames.h"
#include "llm/ProviderTable.h"
#include "platform/Preferences.h"
#include "platform/UserDefaults.h"
#include "ui/LauncherColors.h"
#include "ui/PixelFont.h"
#include "ui/RoundedCard.h"
#include "ui/SymbolIcon.h"

#include <QMenu>
#include <QPainter>

namespace {

constexpr int kIconSize = 11;
constexpr int kSpacing = 4;
constexpr int kPadX = 8;
constexpr int kPadY = 4;

QFont labelFont(const QFont &font)
{
    return pixelFont(font, 11, QFont::Medium);
}

QAction *addHeader(QMenu *menu, const QString &text)
{
    QAction *header = menu->addAction(text);
    header->setEnabled(false);
    QFont font = header->font();
    font.setBold(true);
    header->setFont(font);
    return header;
}

} // namespace

ModelSwitcherView::ModelSwitcherView(LauncherViewModel &vm, UserDefaults &defaults, QWidget *parent)
    : QAbstractButton(parent)
    , m_vm(vm)
    , m_defaults(defaults)
    , m_menu(new QMenu(this))
{
    setCursor(Qt::PointingHandCursor);
    setFocusPolicy(Qt::NoFocus);
    setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Fixed);
    connect(&m_vm, &LauncherViewModel::selectedProviderChanged, this, &ModelSwitcherView::refreshLabel);
    connect(&m_vm, &LauncherViewModel::selectedModelChanged, this, &ModelSwitcherView::refreshLabel);
    connect(this, &QAbstractButton::clicked, this, [this] {
        rebuildMenu();
        m_menu->popup(mapToGlobal(QPoint(0, height() + 2)));
    });
    refreshLabel();
}

QMenu *ModelSwitcherView::menu()
{
    rebuildMenu();
    return m_menu;
}

void ModelSwitcherView::rebuildMenu()
{
    m_menu->clear();
    for (LLMProvider provider : allLLMProviders()) {
        const ProviderTraits &traits = ProviderTable::traits(provider);
        if (!m_menu->isEmpty())
            m_menu->addSeparator();
        addHeader(m_menu, traits.displayName + QStringLiteral(" Models"));
        // A fixed list is always there; a fetched one only once Settings asked.
        const QStringList models =
            traits.cachedModels.isEmpty() ? defaultGeminiModels() : m_defaults.stringList(traits.cachedModels);
        if (models.isEmpty()) {
            // A server of one's own reads as "local models", a provider by its name.
            const QString whose = traits.serverAddress ? traits.displayName.toLower() : traits.displayName;
            m_menu->addAction(QStringLiteral("No %1 models (fetch in Settings)").arg(whose))->setEnabled(false);
            continue;
        }
        for (const QString &model : models) {
            QAction *entry = m_menu->addAction(model);
            entry->setCheckable(true);
            entry->setChecked(m_vm.selectedProvider() == provider && m_vm.selectedModel(provider) == model);
            connect(entry, &QAction::triggered, this, [this, provider, model] {
                m_vm.setSelectedProvider(provider);
                m_vm.setSelectedModel(provider, model);
            });
        }
    }
}

void ModelSwitcherView::refreshLabel()
{
    setText(formatModelName(m_vm.selectedModel()));
    updateGeometry();
    update();
}

QSize ModelSwitcherView::sizeHint() const
{
    const QFontMetrics metrics(labelFont(font()));
    return QSize(kPadX * 2 + kIconSize + kSpacing + metrics.horizontalAdvance(text()),
                 kPadY * 2 + qMax(kIconSize, metrics.height()));
}

void ModelSwitcherView::paintEvent(QPaintEvent *)
{
    const LauncherColors colors = LauncherColors::of(this);
    QPainter painter(this);
    if (isDown())
        painter.setOpacity(0.7);
    paintRoundedCard(painter, rect(), 8, {withOpacity(colors.secondary, 0.1)});
    const qreal iconTop = (height() - kIconSize) / 2.0;
    painter.drawPixmap(QPointF(kPadX, iconTop),
                       symbolPixmap(QStringLiteral("sparkles"), kIconSize, colors.primary, devicePixelRatioF()));
    painter.setFont(labelFont(font()));
    painter.setPen(colors.primary);
    painter.drawText(QRect(kPadX + kIconSize + kSpacing, 0, width(), height()), Qt::AlignLeft | Qt::AlignVCenter,
                     text());
}
