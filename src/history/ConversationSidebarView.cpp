#include "history/ConversationSidebarView.h"

#include "history/ConversationListModel.h"
#include "history/ConversationRowDelegate.h"
#include "store/ConversationStore.h"
#include "ui/LauncherColors.h"
#include "ui/SymbolButton.h"
#include "ui/SymbolIcon.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QListView>
#include <QMenu>
#include <QPainter>
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
    QFont font = text->font();
    font.setPixelSize(11);
    text->setFont(font);
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
    QFont titleFont = title->font();
    titleFont.setPixelSize(12);
    titleFont.setWeight(QFont::DemiBold);
    title->setFont(titleFont);
    header->addWidget(title);
    header->addStretch(1);
    auto *newButton = new SymbolButton(QStringLiteral("square.and.pencil"), 12,
                                       [](const LauncherColors &colors) { return colors.secondary; }, this);
    newButton->setToolTip(QStringLiteral("New conversation"));
    connect(newButton, &QAbstractButton::clicked, this, &ConversationSidebarView::newRequested);
    header->addWidget(newButton);
    column->addLayout(header);
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
    connect(m_list, &QListView::clicked, this, [this](const QModelIndex &index) {
        if (index.row() < m_store.conversations().size())
            Q_EMIT loadRequested(m_store.conversations().at(index.row()));
    });
    connect(m_list, &QWidget::customContextMenuRequested, this, &ConversationSidebarView::showContextMenu);

    m_body->addWidget(emptyState(this));
    auto *listBox = new QWidget(this);
    auto *padding = new QVBoxLayout(listBox);
    padding->setContentsMargins(6, 6, 6, 6);
    padding->addWidget(m_list);
    m_body->addWidget(listBox);
    column->addWidget(m_body, 1);
    connect(m_model, &QAbstractItemModel::modelReset, this, &ConversationSidebarView::syncEmptyState);
    syncEmptyState();
}

void ConversationSidebarView::setActiveID(const QUuid &activeID)
{
    if (activeID == m_activeID)
        return;
    m_activeID = activeID;
    m_list->viewport()->update();
}

bool ConversationSidebarView::showsEmptyState() const
{
    return m_body->currentIndex() == 0;
}

void ConversationSidebarView::syncEmptyState()
{
    m_body->setCurrentIndex(m_store.conversations().isEmpty() ? 0 : 1);
}

void ConversationSidebarView::showContextMenu(const QPoint &position)
{
    const QModelIndex index = m_list->indexAt(position);
    if (!index.isValid())
        return;
    QMenu menu(this);
    QAction *remove = menu.addAction(symbolIcon(QStringLiteral("trash"), LauncherColors::of(this).red),
                                     QStringLiteral("Delete"));
    if (menu.exec(m_list->viewport()->mapToGlobal(position)) == remove)
        deleteRow(index.row());
}

void ConversationSidebarView::deleteRow(int row)
{
    if (row < 0 || row >= m_store.conversations().size())
        return;
    const QUuid id = m_store.conversations().at(row).id;
    m_store.deleteConversation(id);
    // The launcher must not keep showing a conversation that no longer exists.
    if (!m_activeID.isNull() && id == m_activeID)
        Q_EMIT newRequested();
}

void ConversationSidebarView::paintEvent(QPaintEvent *)
{
    const LauncherColors colors = LauncherColors::of(this);
    QPainter painter(this);
    painter.fillRect(rect(), colors.dark ? QColor(36, 36, 38, 250) : QColor(244, 244, 246, 252));
    painter.fillRect(QRect(width() - 1, 0, 1, height()), colors.separator);
}
