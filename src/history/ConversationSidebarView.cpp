// SPDX-License-Identifier: GPL-3.0-or-later
#include "history/ConversationSidebarView.h"

#include "history/ConversationListModel.h"
#include "history/ConversationRowDelegate.h"
#include "platform/AssignIfChanged.h"
#include "store/ConversationExport.h"
#include "store/ConversationStore.h"
#include "store/SearchIndex.h"
#include "ui/LauncherColors.h"
#include "ui/PixelFont.h"
#include "ui/SymbolButton.h"
#include "ui/SymbolIcon.h"

#include <QClipboard>
#include <QDir>
#include <QFileDialog>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListView>
#include <QMenu>
#include <QMessageBox>
#include <QPainter>
#include <QSaveFile>
#include <QStackedWidget>
#include <QVBoxLayout>

namespace {

// The one-point divider under the header.
class Divider : public QWidget
{
public:
    explicit Divider(QWidget *parent)
        : QWidget(parent)
    {
        setFixedHeight(1);
    }

protected:
    void paintEvent(QPaintEvent *) override
    {
        QPainter(this).fillRect(rect(), QColor(255, 255, 255, qRound(255 * 0.1)));
    }
};

QLabel *smallLabel(const QString &text, qreal opacity, QWidget *parent)
{
    auto *label = new QLabel(text, parent);
    usePixelFont(label, 11);
    QPalette palette = label->palette();
    palette.setColor(QPalette::WindowText, withOpacity(LauncherColors::of(parent).secondary, opacity));
    label->setPalette(palette);
    label->setAlignment(Qt::AlignCenter);
    return label;
}

QWidget *emptyState(QWidget *parent)
{
    auto *state = new QWidget(parent);
    auto *column = new QVBoxLayout(state);
    column->setSpacing(8);
    column->addStretch(1);
    const LauncherColors colors = LauncherColors::of(parent);
    auto *icon = new QLabel(state);
    icon->setPixmap(symbolPixmap(QStringLiteral("bubble.left.and.bubble.right"), 22, withOpacity(colors.secondary, 0.4),
                                 parent->devicePixelRatioF()));
    column->addWidget(icon, 0, Qt::AlignHCenter);
    auto *text = new QLabel(QStringLiteral("No conversations"), state);
    usePixelFont(text, 11);
    QPalette palette = text->palette();
    palette.setColor(QPalette::WindowText, withOpacity(colors.secondary, 0.6));
    text->setPalette(palette);
    column->addWidget(text, 0, Qt::AlignHCenter);
    column->addStretch(1);
    return state;
}

} // namespace

ConversationSidebarView::ConversationSidebarView(ConversationStore &store, const QUuid &activeID, QWidget *parent)
    : QWidget(parent)
    , m_store(store)
    , m_activeID(activeID)
    , m_model(new ConversationListModel(store, this))
    , m_index(new SearchIndex(store, this))
    , m_search(new QLineEdit(this))
    , m_body(new QStackedWidget(this))
    , m_list(new QListView(this))
{
    setFixedWidth(kWidth);
    auto *column = new QVBoxLayout(this);
    column->setContentsMargins(0, 0, 0, 0);
    column->setSpacing(0);

    auto *header = new QHBoxLayout;
    header->setContentsMargins(12, 14, 12, 10);
    auto *title = new QLabel(QStringLiteral("History"), this);
    usePixelFont(title, 12, QFont::DemiBold);
    header->addWidget(title);
    header->addStretch(1);
    auto *newButton = new SymbolButton(
        QStringLiteral("square.and.pencil"), 12, [](const LauncherColors &colors) { return colors.secondary; }, this);
    newButton->setToolTip(QStringLiteral("New conversation"));
    connect(newButton, &QAbstractButton::clicked, this, &ConversationSidebarView::newRequested);
    header->addWidget(newButton);
    column->addLayout(header);

    const LauncherColors colors = LauncherColors::of(this);
    m_search->setPlaceholderText(QStringLiteral("Search"));
    m_search->setClearButtonEnabled(true);
    m_search->setFrame(false);
    usePixelFont(m_search, 11);
    m_search->setStyleSheet(
        QStringLiteral("QLineEdit { background: %1; color: %2; border-radius: 6px; padding: 3px 6px; }")
            .arg(withOpacity(colors.primary, 0.08).name(QColor::HexArgb), colors.primary.name(QColor::HexArgb)));
    m_search->installEventFilter(this);
    connect(m_search, &QLineEdit::textChanged, this, &ConversationSidebarView::searchChanged);
    connect(m_search, &QLineEdit::returnPressed, this, [this] { load(0); });
    auto *searchRow = new QHBoxLayout;
    searchRow->setContentsMargins(10, 0, 10, 8);
    searchRow->addWidget(m_search);
    column->addLayout(searchRow);
    column->addWidget(new Divider(this));

    m_list->setModel(m_model);
    m_list->setItemDelegate(new ConversationRowDelegate([this] { return m_activeID; }, m_list));
    m_list->setFrameShape(QFrame::NoFrame);
    m_list->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    m_list->setVerticalScrollMode(QAbstractItemView::ScrollPerPixel);
    m_list->setUniformItemSizes(false);
    m_list->setResizeMode(QListView::Adjust);
    m_list->setSelectionMode(QAbstractItemView::NoSelection);
    m_list->setFocusPolicy(Qt::NoFocus);
    m_list->setMouseTracking(true);
    m_list->setContextMenuPolicy(Qt::CustomContextMenu);
    m_list->setAutoFillBackground(false);
    m_list->viewport()->setAutoFillBackground(false);
    m_list->setCursor(Qt::PointingHandCursor);
    connect(m_list, &QListView::clicked, this, [this](const QModelIndex &index) { load(index.row()); });
    connect(m_list, &QWidget::customContextMenuRequested, this, &ConversationSidebarView::showContextMenu);

    m_body->addWidget(emptyState(this));
    auto *listBox = new QWidget(this);
    auto *padding = new QVBoxLayout(listBox);
    padding->setContentsMargins(6, 6, 6, 6);
    padding->addWidget(m_list);
    m_body->addWidget(listBox);
    m_body->addWidget(smallLabel(QStringLiteral("No matches"), 0.6, this));
    column->addWidget(m_body, 1);
    connect(m_model, &QAbstractItemModel::modelReset, this, &ConversationSidebarView::syncEmptyState);
    connect(&m_store, &ConversationStore::conversationsChanged, this, [this] {
        if (m_model->showsHits())
            m_index->search(m_search->text());
    });
    connect(m_index, &SearchIndex::finished, this,
            [this](const QString &query, const QList<ConversationSearch::Hit> &hits) {
        if (query != m_search->text() || ConversationSearch::queryWords(query).isEmpty())
            return;
        m_model->setHits(hits);
        Q_EMIT searchSettled();
    });
    syncEmptyState();
    // The texts are folded while the user moves to the field, not at the first key.
    m_index->search(QString());
}

void ConversationSidebarView::focusSearch()
{
    m_search->setFocus(Qt::ShortcutFocusReason);
    m_search->selectAll();
}

void ConversationSidebarView::searchChanged()
{
    if (ConversationSearch::queryWords(m_search->text()).isEmpty()) {
        if (m_model->showsHits())
            m_model->setHits(std::nullopt);
        Q_EMIT searchSettled();
        return;
    }
    m_index->search(m_search->text());
}

bool ConversationSidebarView::showsNoMatches() const
{
    return m_body->currentIndex() == 2;
}

// Escape clears a search first; on an empty field it goes on to close the panel.
bool ConversationSidebarView::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == m_search && event->type() == QEvent::KeyPress
        && static_cast<QKeyEvent *>(event)->key() == Qt::Key_Escape && !m_search->text().isEmpty()) {
        m_search->clear();
        return true;
    }
    return QWidget::eventFilter(watched, event);
}

std::optional<Conversation> ConversationSidebarView::conversationAt(int row) const
{
    if (row < 0 || row >= m_model->rowCount())
        return std::nullopt;
    Result<Conversation> whole = m_store.whole(m_model->idAt(row));
    if (!whole)
        return std::nullopt;
    return std::move(whole).value();
}

// A copy goes out: the launcher's answer may change the store's list while it is used.
void ConversationSidebarView::load(int row)
{
    // A copy: the receiver may change the store's list before it is done with the id.
    const QUuid id = m_model->idAt(row);
    if (!id.isNull())
        Q_EMIT loadRequested(id);
}

void ConversationSidebarView::setActiveID(const QUuid &activeID)
{
    if (!assignIfChanged(m_activeID, activeID))
        return;
    m_list->viewport()->update();
}

bool ConversationSidebarView::showsEmptyState() const
{
    return m_body->currentIndex() == 0;
}

void ConversationSidebarView::syncEmptyState()
{
    if (m_store.conversations().isEmpty())
        m_body->setCurrentIndex(0);
    else
        m_body->setCurrentIndex(m_model->showsHits() && m_model->rowCount() == 0 ? 2 : 1);
}

void ConversationSidebarView::showContextMenu(const QPoint &position)
{
    const QModelIndex index = m_list->indexAt(position);
    if (!index.isValid())
        return;
    QMenu menu(this);
    QAction *copy = menu.addAction(QStringLiteral("Copy as Markdown"));
    QAction *save = menu.addAction(QStringLiteral("Export…"));
    menu.addSeparator();
    QAction *remove =
        menu.addAction(symbolIcon(QStringLiteral("trash"), LauncherColors::of(this).red), QStringLiteral("Delete"));
    const QAction *chosen = menu.exec(m_list->viewport()->mapToGlobal(position));
    if (chosen == remove)
        deleteRow(index.row());
    else if (chosen == copy)
        copyRowAsMarkdown(index.row());
    else if (chosen == save)
        exportRow(index.row());
}

void ConversationSidebarView::copyRowAsMarkdown(int row)
{
    if (const std::optional<Conversation> conversation = conversationAt(row))
        QGuiApplication::clipboard()->setText(ConversationExport::markdown(*conversation));
}

void ConversationSidebarView::exportRow(int row)
{
    const std::optional<Conversation> conversation = conversationAt(row);
    if (!conversation)
        return;
    const QString markdownFilter = QStringLiteral("Markdown (*.md)");
    const QString jsonFilter = QStringLiteral("JSON, as the history file holds it (*.json)");
    QString filter = markdownFilter;
    const QString path = QFileDialog::getSaveFileName(
        this, QStringLiteral("Export Conversation"),
        QDir::home().filePath(ConversationExport::fileName(*conversation, ConversationExport::Format::Markdown)),
        markdownFilter + QStringLiteral(";;") + jsonFilter, &filter);
    if (path.isEmpty())
        return;
    const auto format = filter == jsonFilter || path.endsWith(QLatin1String(".json"), Qt::CaseInsensitive)
        ? ConversationExport::Format::Json
        : ConversationExport::Format::Markdown;
    // Unbuffered, so that a short write (a full disk) shows in write()'s count.
    QSaveFile file(path);
    const QByteArray bytes = ConversationExport::bytes(*conversation, format);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Unbuffered) || file.write(bytes) != bytes.size()
        || !file.commit()) {
        QMessageBox::warning(this, QStringLiteral("Export Conversation"),
                             QStringLiteral("Could not write %1: %2").arg(path, file.errorString()));
    }
}

void ConversationSidebarView::deleteRow(int row)
{
    if (row < 0 || row >= m_model->rowCount())
        return;
    const QUuid id = m_model->idAt(row);
    Q_EMIT deleteRequested(id);
}

void ConversationSidebarView::paintEvent(QPaintEvent *)
{
    const LauncherColors colors = LauncherColors::of(this);
    QPainter painter(this);
    painter.fillRect(rect(), colors.dark ? QColor(36, 36, 38, 250) : QColor(244, 244, 246, 252));
    painter.fillRect(QRect(width() - 1, 0, 1, height()), colors.separator);
}
