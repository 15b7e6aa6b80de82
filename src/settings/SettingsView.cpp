// SPDX-License-Identifier: GPL-3.0-or-later
#include "settings/SettingsView.h"

#include "core/SettingsModel.h"
#include "llm/ProviderTable.h"
#include "platform/Logging.h"
#include "presets/PresetStore.h"
#include "settings/DictationPage.h"
#include "settings/HotkeyPage.h"
#include "settings/HotkeyRecorderView.h"
#include "settings/PresetsPage.h"
#include "settings/ProviderPage.h"
#include "settings/SaveStatusView.h"
#include "ui/PaletteFollower.h"
#include "ui/PixelFont.h"
#include "ui/SettingsColors.h"
#include "ui/SettingsSymbols.h"

#include <QDesktopServices>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QScrollArea>
#include <QShortcut>
#include <QShowEvent>
#include <QUrl>

namespace {

constexpr int kWidth = 540;
constexpr int kHeight = 460;

QWidget *divider(QWidget *parent)
{
    auto *line = new QWidget(parent);
    line->setObjectName(QStringLiteral("divider"));
    line->setFixedHeight(1);
    line->setAutoFillBackground(true);
    QPalette palette = line->palette();
    palette.setColor(QPalette::Window, SettingsColors::separator(parent));
    line->setPalette(palette);
    return line;
}

} // namespace

SettingsView::SettingsView(UserDefaults &defaults, KeyStore &keys, PresetStore &presets, HotkeyManager *hotkeys,
                           QWidget *parent)
    : QWidget(parent)
    , m_model(std::make_unique<SettingsModel>(defaults, keys, hotkeys))
{
    setFixedSize(kWidth, kHeight);
    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    layout->addWidget(buildHeader());
    layout->addWidget(divider(this));
    layout->addWidget(buildPages(presets), 1);
    layout->addWidget(divider(this));
    layout->addWidget(buildFooter());

    auto *saveShortcut = new QShortcut(QKeySequence(Qt::ControlModifier | Qt::Key_Return), this);
    auto *keypadSaveShortcut =
        new QShortcut(QKeySequence(Qt::ControlModifier | Qt::KeypadModifier | Qt::Key_Enter), this);
    for (QShortcut *shortcut : {saveShortcut, keypadSaveShortcut}) {
        shortcut->setContext(Qt::WidgetWithChildrenShortcut);
        connect(shortcut, &QShortcut::activated, this, &SettingsView::save);
    }
    connect(m_model.get(), &SettingsModel::providerChanged, this, &SettingsView::showKeyPageLink);
    connect(m_model.get(), &SettingsModel::saved, this, &SettingsView::showSaved);
    connect(m_model.get(), &SettingsModel::storedKeysRead, this, [this] {
        if (isVisible())
            m_model->fetchSelectedProviderModels();
    });
    showKeyPageLink();
    takeColoursFromPalette();
    new PaletteFollower(this, [this] { takeColoursFromPalette(); });
}

SettingsView::~SettingsView() = default;

QWidget *SettingsView::buildHeader()
{
    auto *header = new QWidget(this);
    auto *layout = new QHBoxLayout(header);
    layout->setContentsMargins(24, 22, 24, 18);
    layout->setSpacing(10);
    auto *mark = new QLabel(header);
    mark->setPixmap(settingsSymbol(QStringLiteral("bolt.leaf.fill"), 20, {}, devicePixelRatioF()));
    auto *title = new QLabel(QStringLiteral("Tarnwick Settings"), header);
    usePixelFont(title, 16, QFont::DemiBold);
    layout->addWidget(mark);
    layout->addWidget(title);
    layout->addStretch(1);
    return header;
}

// The pages, one below the other; a new page is one more line here.
QWidget *SettingsView::buildPages(PresetStore &presets)
{
    auto *scroll = new QScrollArea(this);
    scroll->setFrameShape(QFrame::NoFrame);
    scroll->setWidgetResizable(true);
    scroll->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    scroll->setMinimumHeight(280);
    auto *form = new QWidget(scroll);
    form->setObjectName(QStringLiteral("settingsForm"));
    auto *layout = new QVBoxLayout(form);
    layout->setContentsMargins(20, 16, 20, 16);
    layout->setSpacing(18);
    m_providerPage = new ProviderPage(*m_model, form);
    connect(m_providerPage, &ProviderPage::storeFailed, this,
            [this](const QString &message) { m_saveStatus->showFailure(message); });
    layout->addWidget(m_providerPage);
    m_hotkeyPage = new HotkeyPage(*m_model, form);
    layout->addWidget(m_hotkeyPage);
    auto *dictation = new DictationPage(*m_model, form);
    connect(dictation, &DictationPage::storeFailed, this,
            [this](const QString &message) { m_saveStatus->showFailure(message); });
    layout->addWidget(dictation);
    layout->addWidget(new PresetsPage(presets, form));
    layout->addStretch(1);
    scroll->setWidget(form);
    scroll->viewport()->setAutoFillBackground(false);
    form->setAutoFillBackground(false);
    return scroll;
}

QWidget *SettingsView::buildFooter()
{
    auto *footer = new QWidget(this);
    auto *layout = new QHBoxLayout(footer);
    layout->setContentsMargins(24, 14, 24, 14);
    layout->setSpacing(10);

    m_keyPageLink = new QPushButton(footer);
    m_keyPageLink->setObjectName(QStringLiteral("keyPageLink"));
    m_keyPageLink->setFlat(true);
    m_keyPageLink->setCursor(Qt::PointingHandCursor);
    m_keyPageLink->setStyleSheet(
        QStringLiteral("QPushButton { border: none; padding: 0; color: palette(link); text-align: left; }"
                       "QPushButton:hover { text-decoration: underline; }"));
    connect(m_keyPageLink, &QPushButton::clicked, this,
            [this] { QDesktopServices::openUrl(QUrl(ProviderTable::traits(m_model->provider()).keyPage)); });

    m_saveStatus = new SaveStatusView(footer);
    m_saveButton = new QPushButton(QStringLiteral("Save"), footer);
    m_saveButton->setObjectName(QStringLiteral("saveButton"));
    m_saveButton->setToolTip(
        QStringLiteral("Save (%1)")
            .arg(QKeySequence(Qt::ControlModifier | Qt::Key_Return).toString(QKeySequence::NativeText)));
    const QColor green = SettingsColors::systemGreen(this);
    m_saveButton->setStyleSheet(
        QStringLiteral("QPushButton { background: %1; color: white; border: none; border-radius: 6px; "
                       "padding: 5px 16px; font-weight: 600; }"
                       "QPushButton:hover { background: %2; } QPushButton:pressed { background: %3; }")
            .arg(green.name(), green.lighter(110).name(), green.darker(115).name()));
    connect(m_saveButton, &QPushButton::clicked, this, &SettingsView::save);

    layout->addWidget(m_keyPageLink);
    layout->addStretch(1);
    layout->addWidget(m_saveStatus, 0, Qt::AlignVCenter);
    layout->addWidget(m_saveButton);
    return footer;
}

void SettingsView::showKeyPageLink()
{
    const ProviderTraits &traits = ProviderTable::traits(m_model->provider());
    m_keyPageLink->setText(QStringLiteral("Get ") + traits.displayName + QStringLiteral(" Key"));
    // A server of the user's own has no key page.
    m_keyPageLink->setVisible(!traits.keyPage.isEmpty());
}

bool SettingsView::savedConfirmation() const
{
    return m_saveStatus->savedConfirmation();
}

QString SettingsView::saveStatusText() const
{
    return m_saveStatus->text();
}

HotkeyRecorderView *SettingsView::launchRecorder() const
{
    return m_hotkeyPage->recorder(HotkeyManager::Hotkey::Launch);
}

HotkeyRecorderView *SettingsView::screenshotRecorder() const
{
    return m_hotkeyPage->recorder(HotkeyManager::Hotkey::Screenshot);
}

void SettingsView::save()
{
    m_model->save();
}

void SettingsView::showSaved(const QStringList &failures)
{
    if (failures.isEmpty())
        m_saveStatus->showSaved();
    else
        m_saveStatus->showFailure(failures.join(QLatin1Char('\n')));
}

void SettingsView::recordLaunchHotkey()
{
    if (auto *scroll = findChild<QScrollArea *>())
        scroll->ensureWidgetVisible(launchRecorder());
    launchRecorder()->setFocus(Qt::OtherFocusReason);
    launchRecorder()->setRecording(true);
}

// Where the controls a system test clicks are, relative to the window.
void SettingsView::traceControlPositions()
{
    if (!EventTrace::enabled())
        return;
    for (QWidget *control : {static_cast<QWidget *>(launchRecorder()), static_cast<QWidget *>(screenshotRecorder()),
                             static_cast<QWidget *>(m_saveButton)}) {
        const QPoint centre = control->mapTo(window(), control->rect().center());
        const QByteArray name = "settings-control " + control->objectName().toUtf8();
        EventTrace::note((name + "-x " + QByteArray::number(centre.x())).constData());
        EventTrace::note((name + "-y " + QByteArray::number(centre.y())).constData());
    }
}

// The desktop switched between light and dark: what took its colours from the
// palette when built takes them again (style sheets resolve palette() once).
void SettingsView::takeColoursFromPalette()
{
    for (QWidget *child : findChildren<QWidget *>()) {
        if (child->styleSheet().contains(QLatin1String("palette(")))
            child->setStyleSheet(child->styleSheet());
        if (child->objectName() == QLatin1String("divider")) {
            QPalette palette = child->palette();
            palette.setColor(QPalette::Window, SettingsColors::separator(this));
            child->setPalette(palette);
        }
    }
    m_providerPage->takeColoursFromPalette();
}

void SettingsView::showEvent(QShowEvent *event)
{
    QWidget::showEvent(event);
    traceControlPositions();
    if (!event->spontaneous())
        m_model->fetchSelectedProviderModels();
}
