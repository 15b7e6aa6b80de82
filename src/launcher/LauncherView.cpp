// SPDX-License-Identifier: GPL-3.0-or-later
#include "launcher/LauncherView.h"

#include "core/AttachmentFiles.h"
#include "core/DictationFlow.h"
#include "core/ImageFiles.h"
#include "core/LauncherSession.h"
#include "core/LauncherViewModel.h"
#include "history/ConversationSidebarView.h"
#include "launcher/AttachmentStrip.h"
#include "launcher/CaptionStrip.h"
#include "launcher/EmptyStateView.h"
#include "launcher/FileChipStrip.h"
#include "launcher/FloatingNotice.h"
#include "launcher/InputBar.h"
#include "launcher/InstructionsStrip.h"
#include "launcher/LauncherHeader.h"
#include "launcher/MessageListView.h"
#include "launcher/MultilineTextField.h"
#include "launcher/PresetPicker.h"
#include "platform/AssignIfChanged.h"
#include "platform/HotkeyBinding.h"
#include "platform/Preferences.h"
#include "platform/UserDefaults.h"
#include "services/SpeechManager.h"
#include "ui/LauncherColors.h"
#include "ui/LauncherMetrics.h"
#include "ui/NoticeCard.h"
#include "ui/RoundedCard.h"
#include "ui/SchemePalette.h"
#include "ui/SymbolButton.h"

#include <QDragEnterEvent>
#include <QDropEvent>
#include <QFileDialog>
#include <QGuiApplication>
#include <QImage>
#include <QMimeData>
#include <QMouseEvent>
#include <QPainter>
#include <QShortcut>
#include <QStackedWidget>
#include <QVBoxLayout>
#include <QVariantAnimation>

#include <algorithm>

namespace {

constexpr int kSidebarAnimationMs = 250;

// The dimmed column behind the open sidebar; a click on it closes the sidebar.
class DimOverlay : public QWidget
{
public:
    DimOverlay(std::function<void()> onClick, QWidget *parent)
        : QWidget(parent)
        , m_onClick(std::move(onClick))
    {
    }

    void setOpacity(qreal opacity)
    {
        m_opacity = opacity;
        update();
    }

protected:
    void paintEvent(QPaintEvent *) override
    {
        QPainter(this).fillRect(rect(), QColor(0, 0, 0, qRound(255 * 0.15 * m_opacity)));
    }
    void mousePressEvent(QMouseEvent *event) override
    {
        event->accept();
        m_onClick();
    }

private:
    std::function<void()> m_onClick;
    qreal m_opacity = 0;
};

// A one-point line in a colour taken from the launcher's colours.
class Divider : public QWidget
{
public:
    Divider(std::function<QColor(const LauncherColors &)> color, QWidget *parent)
        : QWidget(parent)
        , m_color(std::move(color))
    {
        setFixedHeight(1);
    }

protected:
    void paintEvent(QPaintEvent *) override { QPainter(this).fillRect(rect(), m_color(LauncherColors::of(this))); }

private:
    std::function<QColor(const LauncherColors &)> m_color;
};

bool systemPrefersDark()
{
    return isDarkPalette(QGuiApplication::palette());
}

bool canSend(const LauncherViewModel &vm)
{
    return !vm.inputText().trimmed().isEmpty() || vm.attachedImageData().has_value() || !vm.attachedFiles().isEmpty();
}

} // namespace

LauncherView::LauncherView(LauncherSession &session, QWidget *parent)
    : QWidget(parent)
    , m_session(session)
    , m_vm(session.viewModel())
{
    SpeechManager &speech = session.speech();
    connect(&speech, &SpeechManager::isListeningChanged, this, &LauncherView::syncDictation);
    connect(&speech, &SpeechManager::liveTranscriptChanged, this, &LauncherView::syncDictation);
    connect(&session.dictation(), &DictationFlow::isTranscribingChanged, this, &LauncherView::syncDictation);
    connect(&session.dictation(), &DictationFlow::noticeReported, this,
            [this](const QString &notice) { FloatingNotice::showAbove(this, m_inputBar, notice); });
    connect(&session, &LauncherSession::activeConversationChanged, this, [this] {
        if (m_sidebar)
            m_sidebar->setActiveID(m_session.activeConversationID());
    });
    connect(&session, &LauncherSession::historyNoticeChanged, this, &LauncherView::syncHistoryNotice);
    connect(&speech, &SpeechManager::problemReported, this,
            [this](const QString &problem) { FloatingNotice::showAbove(this, m_inputBar, problem); });
    buildLayout();
    connectViewModel();
    connectTools();
    applyTheme();
    qApp->installEventFilter(this);
    syncConversationArea();
    syncSendState();
    syncAttachment();
    syncDictation();
    syncHistoryNotice();
    syncMessageActions();
}

void LauncherView::syncHistoryNotice()
{
    const QString notice = m_session.historyNotice();
    m_historyNotice->setText(notice);
    m_historyNotice->setVisible(!notice.isEmpty());
}

void LauncherView::buildLayout()
{
    m_main = new QWidget(this);
    auto *column = new QVBoxLayout(m_main);
    column->setContentsMargins(0, 0, 0, 0);
    column->setSpacing(0);

    m_header = new LauncherHeader(m_vm, m_session.defaults(), m_main);
    column->addWidget(m_header);
    column->addWidget(new Divider([](const LauncherColors &colors) { return colors.separator; }, m_main));

    m_instructions = new InstructionsStrip(m_main);
    column->addWidget(m_instructions);

    m_conversation = new QStackedWidget(m_main);
    m_emptyState = new EmptyStateView(m_vm.selectedModel(), m_conversation);
    m_messages = new MessageListView(m_conversation);
    m_conversation->addWidget(m_emptyState);
    m_conversation->addWidget(m_messages);
    column->addWidget(m_conversation, 1);
    column->addWidget(
        new Divider([](const LauncherColors &colors) { return withOpacity(colors.quaternaryFill, 0.5); }, m_main));

    auto *noticeBox = new QVBoxLayout;
    noticeBox->setContentsMargins(14, 10, 14, 0);
    m_historyNotice = new NoticeCard(QString(), m_main);
    m_historyNotice->setObjectName(QStringLiteral("historyNotice"));
    connect(m_historyNotice, &NoticeCard::dismissed, &m_session, &LauncherSession::dismissHistoryNotice);
    noticeBox->addWidget(m_historyNotice);
    column->addLayout(noticeBox);

    m_attachment = new AttachmentStrip(m_main);
    column->addWidget(m_attachment);
    m_files = new FileChipStrip(FileChipStrip::Use::Pending, m_main);
    column->addWidget(m_files);
    setAcceptDrops(true);
    // The live transcript while dictating, newest words kept in view.
    m_dictation = new CaptionStrip(QStringLiteral("waveform"), &LauncherColors::red, Qt::ElideLeft, m_main);
    column->addWidget(m_dictation);
    m_editing = new CaptionStrip(QStringLiteral("pencil.line"), &LauncherColors::accent, Qt::ElideRight, m_main);
    m_editing->setText(tr("Editing the last prompt: sending replaces it and its answer. Esc cancels."));
    column->addWidget(m_editing);

    auto *barBox = new QVBoxLayout;
    barBox->setContentsMargins(14, 12, 14, 12);
    m_inputBar = new InputBar(m_main);
    barBox->addWidget(m_inputBar);
    m_presetPicker = new PresetPicker(m_session.presets(), m_inputBar->field(), m_main);
    barBox->addWidget(m_presetPicker);
    column->addLayout(barBox);

    m_dim = new DimOverlay([this] { setSidebarOpen(false); }, this);
    m_dim->hide();
    m_sidebarAnimation = new QVariantAnimation(this);
    m_sidebarAnimation->setDuration(kSidebarAnimationMs);
    m_sidebarAnimation->setEasingCurve(QEasingCurve::OutBack);
    connect(m_sidebarAnimation, &QVariantAnimation::valueChanged, this,
            [this](const QVariant &value) { placeSidebar(value.toReal()); });
    connect(m_sidebarAnimation, &QVariantAnimation::finished, this, [this] {
        if (m_sidebarOpen)
            return;
        // The sidebar is built each time it opens and discarded when it has left.
        delete m_sidebar;
        m_sidebar = nullptr;
        m_dim->hide();
    });
}

void LauncherView::connectViewModel()
{
    LauncherViewModel *vm = &m_vm;
    // The list offers Regenerate only on the last answer and Edit only on the
    // last prompt, and only once someone listens.
    connect(m_messages, &MessageListView::actionRequested, this, [this](int, MessageBubbleActions::Action action) {
        if (action == MessageBubbleActions::Action::Regenerate)
            m_vm.regenerate();
        else if (action == MessageBubbleActions::Action::Edit)
            editLastPrompt();
    });
    connect(vm, &LauncherViewModel::messagesReset, this, [this] { m_messages->setMessages(m_vm.messages()); });
    connect(vm, &LauncherViewModel::messageAppended, this,
            [this](int index) { m_messages->appendMessage(m_vm.messages().at(index)); });
    connect(vm, &LauncherViewModel::messageUpdated, this,
            [this](int index) { m_messages->updateMessage(index, m_vm.messages().at(index)); });
    connect(vm, &LauncherViewModel::messagesRemoved, this,
            [this](int first) { m_messages->removeMessagesFrom(first); });
    connect(vm, &LauncherViewModel::messagesChanged, this, &LauncherView::syncConversationArea);
    connect(vm, &LauncherViewModel::messagesChanged, this, &LauncherView::syncMessageActions);
    connect(vm, &LauncherViewModel::editingChanged, this, &LauncherView::syncMessageActions);
    connect(vm, &LauncherViewModel::errorMessageChanged, this, [this] {
        m_messages->setErrorText(m_vm.errorMessage());
        syncConversationArea();
    });
    connect(vm, &LauncherViewModel::inputTextChanged, this, [this] {
        m_inputBar->field()->setText(m_vm.inputText());
        syncSendState();
    });
    connect(vm, &LauncherViewModel::isLoadingChanged, this, &LauncherView::syncSendState);
    connect(vm, &LauncherViewModel::isLoadingChanged, this, &LauncherView::syncMessageActions);
    connect(vm, &LauncherViewModel::attachmentChanged, this, [this] {
        syncAttachment();
        syncSendState();
    });
    // Any provider's model may change; the one shown is the selected provider's.
    const auto showSelectedModel = [this] { m_emptyState->setSelectedModel(m_vm.selectedModel()); };
    connect(vm, &LauncherViewModel::selectedProviderChanged, this, showSelectedModel);
    connect(vm, &LauncherViewModel::selectedModelChanged, this, showSelectedModel);
    connect(vm, &LauncherViewModel::themeChanged, this, &LauncherView::applyTheme);
    connect(vm, &LauncherViewModel::instructionsChanged, this,
            [this] { m_instructions->setText(m_vm.instructions()); });
    m_instructions->setText(m_vm.instructions());
    connect(&m_session.defaults(), &UserDefaults::changed, this, [this](const QString &key) {
        if (key == Preferences::appTheme)
            applyTheme();
        else if (key == Preferences::screenshotHotkeyBinding)
            refreshScreenshotTooltip();
    });
    m_messages->setMessages(m_vm.messages());
    m_messages->setErrorText(m_vm.errorMessage());
}

void LauncherView::refreshScreenshotTooltip()
{
    const QString text = HotkeyBinding::load(m_session.defaults(), Preferences::screenshotHotkeyBinding,
                                             HotkeyBinding::builtInScreenshot())
                             .displayText();
    m_inputBar->screenshotButton()->setToolTip(text.isEmpty() ? QStringLiteral("Screenshot")
                                                              : QStringLiteral("Screenshot (%1)").arg(text));
}

void LauncherView::connectTools()
{
    InputBar *bar = m_inputBar;
    refreshScreenshotTooltip();
    connect(bar->field(), &MultilineTextField::textEdited, this,
            [this](const QString &text) { m_vm.setInputText(text); });
    connect(bar->field(), &MultilineTextField::submitted, this, [this] { m_vm.send(); });
    connect(m_presetPicker, &PresetPicker::chosen, this, [this](const QString &text) {
        m_vm.setInputText(text);
        m_inputBar->field()->moveCursor(QTextCursor::End);
    });
    connect(bar, &InputBar::sendRequested, this, [this] { m_vm.send(); });
    connect(bar, &InputBar::stopRequested, this, [this] { m_vm.cancelStream(); });
    connect(bar->field(), &MultilineTextField::recallRequested, this, [this] {
        if (!m_vm.attachedImageData() && m_vm.attachedFiles().isEmpty())
            editLastPrompt();
    });
    connect(bar->attachButton(), &QAbstractButton::clicked, this, &LauncherView::openImagePicker);
    connect(bar->pasteButton(), &QAbstractButton::clicked, this, [this] { m_vm.pasteImageFromClipboard(); });
    connect(bar->screenshotButton(), &QAbstractButton::clicked, this, [this] { m_session.takeScreenshot(); });
    connect(bar->grabButton(), &QAbstractButton::clicked, this, [this] { m_session.grabText(); });
    connect(bar->dictateButton(), &QAbstractButton::clicked, this, [this] { m_session.toggleDictation(); });
    connect(m_attachment->removeButton(), &QAbstractButton::clicked, this, [this] { m_vm.removeAttachment(); });
    connect(m_files, &FileChipStrip::removeRequested, this, [this](int index) { m_vm.removeAttachedFile(index); });
    connect(bar->field(), &MultilineTextField::filesPasted, this, &LauncherView::attachFiles);

    connect(m_header->closeButton(), &QAbstractButton::clicked, this, &LauncherView::closeRequested);
    connect(m_header->sidebarButton(), &QAbstractButton::clicked, this, [this] { setSidebarOpen(!m_sidebarOpen); });
    connect(m_header->newConversationButton(), &QAbstractButton::clicked, this, &LauncherView::startNewConversation);

    auto *newChat = new QShortcut(QKeySequence(Qt::CTRL | Qt::Key_N), this);
    newChat->setContext(Qt::WidgetWithChildrenShortcut);
    connect(newChat, &QShortcut::activated, this, &LauncherView::startNewConversation);
    // Ctrl+F opens the history if needed and puts the caret in its search field.
    auto *find = new QShortcut(QKeySequence(Qt::CTRL | Qt::Key_F), this);
    find->setContext(Qt::WidgetWithChildrenShortcut);
    connect(find, &QShortcut::activated, this, [this] {
        setSidebarOpen(true);
        if (m_sidebar)
            m_sidebar->focusSearch();
    });
    m_stopShortcut = new QShortcut(QKeySequence(Qt::CTRL | Qt::Key_Period), this);
    m_stopShortcut->setContext(Qt::WidgetWithChildrenShortcut);
    connect(m_stopShortcut, &QShortcut::activated, this, [this] { m_vm.cancelStream(); });
    m_regenerateShortcut = new QShortcut(QKeySequence(Qt::CTRL | Qt::Key_R), this);
    m_regenerateShortcut->setContext(Qt::WidgetWithChildrenShortcut);
    connect(m_regenerateShortcut, &QShortcut::activated, this, [this] { m_vm.regenerate(); });
    // Esc stops a dictation or backs out of an Edit first; only then does it close the panel.
    m_cancelEditShortcut = new QShortcut(QKeySequence(Qt::Key_Escape), this);
    m_cancelEditShortcut->setContext(Qt::WidgetWithChildrenShortcut);
    connect(m_cancelEditShortcut, &QShortcut::activated, this, [this] {
        if (m_session.dictation().isBusy())
            m_session.dictation().cancel();
        else
            m_vm.cancelEdit();
    });
    auto *dictate = new QShortcut(QKeySequence(Qt::CTRL | Qt::Key_D), this);
    dictate->setContext(Qt::WidgetWithChildrenShortcut);
    connect(dictate, &QShortcut::activated, this, [this] { m_session.toggleDictation(); });
    auto *settings = new QShortcut(QKeySequence(Qt::CTRL | Qt::Key_Comma), this);
    settings->setContext(Qt::WidgetWithChildrenShortcut);
    connect(settings, &QShortcut::activated, this, &LauncherView::settingsRequested);
}

void LauncherView::focusInput()
{
    m_inputBar->field()->setFocus(Qt::ActiveWindowFocusReason);
}

bool LauncherView::showsEmptyState() const
{
    return m_conversation->currentWidget() == m_emptyState;
}

void LauncherView::syncConversationArea()
{
    const bool empty = m_vm.messages().isEmpty() && !m_vm.errorMessage().has_value();
    m_conversation->setCurrentWidget(empty ? static_cast<QWidget *>(m_emptyState) : m_messages);
}

void LauncherView::syncSendState()
{
    const bool loading = m_vm.isLoading();
    m_inputBar->setSendState(loading, canSend(m_vm));
    // Ctrl+. exists only while an answer loads.
    m_stopShortcut->setEnabled(loading);
}

void LauncherView::syncMessageActions()
{
    m_regenerateShortcut->setEnabled(m_vm.canRegenerate());
    m_cancelEditShortcut->setEnabled(m_vm.isEditing() || m_session.dictation().isBusy());
    m_editing->setVisible(m_vm.isEditing());
}

void LauncherView::editLastPrompt()
{
    if (!m_vm.canEditLastPrompt())
        return;
    m_vm.editLastPrompt();
    focusInput();
    m_inputBar->field()->moveCursor(QTextCursor::End);
}

void LauncherView::syncAttachment()
{
    const std::optional<QImage> image = m_vm.attachedImage();
    if (image)
        m_attachment->setImage(*image);
    m_attachment->setVisible(image.has_value());
    m_files->setFiles(m_vm.attachedFiles());
    m_files->setVisible(!m_vm.attachedFiles().isEmpty());
}

void LauncherView::syncDictation()
{
    const SpeechManager &speech = m_session.speech();
    const bool listening = speech.isListening();
    const bool transcribing = m_session.dictation().isTranscribing();
    m_inputBar->setListening(listening || transcribing);
    m_dictation->setText(transcribing ? QStringLiteral("Transcribing\u2026") : speech.liveTranscript());
    m_dictation->setVisible(transcribing || (listening && !speech.liveTranscript().isEmpty()));
    syncMessageActions();
}

void LauncherView::startNewConversation()
{
    m_session.startNewConversation();
    setSidebarOpen(false);
}

void LauncherView::loadConversation(QUuid id)
{
    if (m_session.loadConversation(id))
        setSidebarOpen(false);
}

// The launcher must not keep showing a conversation that no longer exists.
void LauncherView::deleteConversation(QUuid id)
{
    if (m_session.deleteConversation(id))
        setSidebarOpen(false);
}

void LauncherView::openImagePicker()
{
    auto *picker = new QFileDialog(this, QStringLiteral("Attach image, text or PDF"));
    picker->setAttribute(Qt::WA_DeleteOnClose);
    picker->setFileMode(QFileDialog::ExistingFiles);
    picker->setNameFilters(AttachmentFiles::pickerFilters());
    connect(picker, &QFileDialog::filesSelected, this, &LauncherView::attachFiles);
    picker->open();
}

void LauncherView::attachImageFile(const QString &path)
{
    const ImageFiles::Read file = ImageFiles::read(path);
    if (file.image.isNull()) {
        FloatingNotice::showAbove(this, m_inputBar, file.problem);
        return;
    }
    m_vm.setAttachedImage(file.image);
}

void LauncherView::attachFiles(const QStringList &paths)
{
    const QStringList problems = m_vm.attachPaths(paths);
    if (!problems.isEmpty())
        FloatingNotice::showAbove(this, m_inputBar, problems.join(QLatin1Char('\n')));
}

void LauncherView::dragEnterEvent(QDragEnterEvent *event)
{
    const QList<QUrl> urls = event->mimeData()->urls();
    if (!urls.isEmpty() && std::all_of(urls.begin(), urls.end(), [](const QUrl &url) { return url.isLocalFile(); }))
        event->acceptProposedAction();
}

void LauncherView::dropEvent(QDropEvent *event)
{
    QStringList paths;
    for (const QUrl &url : event->mimeData()->urls())
        paths.append(url.toLocalFile());
    event->acceptProposedAction();
    attachFiles(paths);
}

void LauncherView::setSidebarOpen(bool open)
{
    if (!assignIfChanged(m_sidebarOpen, open))
        return;
    m_header->setSidebarOpen(open);
    if (open && !m_sidebar) {
        m_sidebar = new ConversationSidebarView(m_session.store(), m_session.activeConversationID(), this);
        connect(m_sidebar, &ConversationSidebarView::newRequested, this, &LauncherView::startNewConversation);
        connect(m_sidebar, &ConversationSidebarView::loadRequested, this, &LauncherView::loadConversation);
        connect(m_sidebar, &ConversationSidebarView::deleteRequested, this, &LauncherView::deleteConversation);
    }
    if (open) {
        m_dim->show();
        m_dim->raise();
        m_sidebar->show();
        m_sidebar->raise();
    }
    const qreal from = m_sidebarAnimation->state() == QAbstractAnimation::Running
        ? m_sidebarAnimation->currentValue().toReal()
        : (open ? 0.0 : 1.0);
    m_sidebarAnimation->stop();
    m_sidebarAnimation->setEasingCurve(open ? QEasingCurve::OutBack : QEasingCurve::InOutCubic);
    m_sidebarAnimation->setStartValue(from);
    m_sidebarAnimation->setEndValue(open ? 1.0 : 0.0);
    m_sidebarAnimation->start();
}

void LauncherView::placeSidebar(qreal progress)
{
    static_cast<DimOverlay *>(m_dim)->setOpacity(qBound(0.0, progress, 1.0));
    if (m_sidebar)
        m_sidebar->setGeometry(qRound(-ConversationSidebarView::kWidth * (1.0 - progress)), 0,
                               ConversationSidebarView::kWidth, height());
}

void LauncherView::applyTheme()
{
    const AppTheme theme = m_vm.theme();
    const bool dark = theme == AppTheme::Dark || (theme == AppTheme::System && systemPrefersDark());
    m_lightBackground = !dark;
    setPalette(LauncherColors::forAppearance(dark).palette(QGuiApplication::palette()));
    update();
}

bool LauncherView::eventFilter(QObject *watched, QEvent *event)
{
    // The desktop switched between light and dark: "System" follows at once.
    if (watched == qApp && event->type() == QEvent::ApplicationPaletteChange)
        applyTheme();
    return QWidget::eventFilter(watched, event);
}

void LauncherView::resizeEvent(QResizeEvent *event)
{
    QWidget::resizeEvent(event);
    m_main->setGeometry(rect());
    m_dim->setGeometry(rect());
    if (m_sidebar)
        placeSidebar(m_sidebarAnimation->state() == QAbstractAnimation::Running
                         ? m_sidebarAnimation->currentValue().toReal()
                         : (m_sidebarOpen ? 1.0 : 0.0));
}

void LauncherView::paintEvent(QPaintEvent *)
{
    // The panel behind is dark; the light appearance brings its own ground.
    if (!m_lightBackground)
        return;
    QPainter painter(this);
    paintRoundedCard(painter, rect(), LauncherMetrics::panelRadius, {QColor(246, 246, 248, 242)});
}
