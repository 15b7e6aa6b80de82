#include "launcher/ModelSwitcherView.h"

#include "core/LauncherViewModel.h"
#include "core/ModelNames.h"
#include "llm/LLMProvider.h"
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
    for (auto signal : {&LauncherViewModel::selectedProviderChanged, &LauncherViewModel::selectedGeminiModelChanged,
                        &LauncherViewModel::selectedOpenRouterModelChanged, &LauncherViewModel::selectedLocalModelChanged})
        connect(&m_vm, signal, this, &ModelSwitcherView::refreshLabel);
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
    const QString gemini = rawValue(LLMProvider::Gemini);
    const QString openRouter = rawValue(LLMProvider::OpenRouter);

    addHeader(m_menu, QStringLiteral("Gemini Models"));
    for (const QString &model : defaultGeminiModels()) {
        QAction *entry = m_menu->addAction(model);
        entry->setCheckable(true);
        entry->setChecked(m_vm.selectedProvider() == gemini && m_vm.selectedGeminiModel() == model);
        connect(entry, &QAction::triggered, this, [this, gemini, model] {
            m_vm.setSelectedProvider(gemini);
            m_vm.setSelectedGeminiModel(model);
        });
    }

    m_menu->addSeparator();
    addHeader(m_menu, QStringLiteral("OpenRouter Models"));
    addCachedModels(m_defaults.stringList(Preferences::cachedOpenRouterModels), openRouter,
                    m_vm.selectedOpenRouterModel(), [this](const QString &model) { m_vm.setSelectedOpenRouterModel(model); },
                    QStringLiteral("No OpenRouter models (fetch in Settings)"));

    m_menu->addSeparator();
    addHeader(m_menu, QStringLiteral("Local Models"));
    addCachedModels(m_defaults.stringList(Preferences::cachedLocalModels), rawValue(LLMProvider::Local),
                    m_vm.selectedLocalModel(), [this](const QString &model) { m_vm.setSelectedLocalModel(model); },
                    QStringLiteral("No local models (fetch in Settings)"));
}

void ModelSwitcherView::addCachedModels(const QStringList &models, const QString &provider, const QString &selected,
                                        const std::function<void(const QString &)> &select, const QString &emptyText)
{
    if (models.isEmpty()) {
        m_menu->addAction(emptyText)->setEnabled(false);
        return;
    }
    for (const QString &model : models) {
        QAction *entry = m_menu->addAction(model);
        entry->setCheckable(true);
        entry->setChecked(m_vm.selectedProvider() == provider && selected == model);
        connect(entry, &QAction::triggered, this, [this, provider, model, select] {
            m_vm.setSelectedProvider(provider);
            select(model);
        });
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
