// SPDX-License-Identifier: GPL-3.0-or-later
#include "core/LauncherSession.h"
#include "history/ConversationListModel.h"
#include "history/ConversationSidebarView.h"
#include "launcher/LauncherView.h"
#include "platform/UserDefaults.h"
#include "presets/PresetStore.h"
#include "services/KeyStore.h"
#include "store/ConversationFormat.h"
#include "store/ConversationStore.h"
#include "support/IsolatedHome.h"

#include <QApplication>
#include <QClipboard>
#include <QLineEdit>
#include <QListView>
#include <QSignalSpy>
#include <QTest>

#include <algorithm>

using ConversationSearch::Range;

// The search field above the history list, and the rows' context menu.
class TestSidebarSearch : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void typingFiltersNewestFirst();
    void escapeClearsThenPassesOn();
    void rowsActOnTheirOwnConversation();
    void ctrlFOpensTheHistoryAtTheField();
};

namespace {

Conversation conversation(const QString &title, double seconds, const QString &answer)
{
    return Conversation(
        title, ConversationFormat::dateFromReferenceSeconds(seconds),
        {StoredMessage(QStringLiteral("user"), title), StoredMessage(QStringLiteral("assistant"), answer)});
}

struct Sidebar
{
    IsolatedHome home;
    ConversationStore store{home.historyFile()};
    std::unique_ptr<ConversationSidebarView> view;

    Sidebar()
    {
        store.upsert(conversation(QStringLiteral("Coffee"), 300, QStringLiteral("A café crème, then a second CAFE.")));
        store.upsert(conversation(QStringLiteral("Sorting"), 100, QStringLiteral("Quicksort picks a pivot.")));
        store.upsert(conversation(QStringLiteral("Café history"), 200, QStringLiteral("Coffee houses.")));
        view = std::make_unique<ConversationSidebarView>(store, QUuid());
        // The sidebar asks; in the program the launcher's session deletes.
        QObject::connect(view.get(), &ConversationSidebarView::deleteRequested, &store,
                         &ConversationStore::deleteConversation);
        view->resize(ConversationSidebarView::kWidth, 500);
        view->show();
    }

    bool type(const QString &text)
    {
        QSignalSpy settled(view.get(), &ConversationSidebarView::searchSettled);
        view->searchField()->setText(text);
        return !settled.isEmpty() || settled.wait(10000);
    }

    QStringList rows() const
    {
        QStringList titles;
        const QAbstractItemModel *model = view->list()->model();
        for (int row = 0; row < model->rowCount(); ++row)
            titles.append(model->index(row, 0).data(ConversationListModel::TitleRole).toString());
        return titles;
    }
};

} // namespace

void TestSidebarSearch::typingFiltersNewestFirst()
{
    Sidebar sidebar;
    QCOMPARE(sidebar.rows(),
             (QStringList{QStringLiteral("Café history"), QStringLiteral("Sorting"), QStringLiteral("Coffee")}));

    QVERIFY(sidebar.type(QStringLiteral("CAFE")));
    QCOMPARE(sidebar.rows(), (QStringList{QStringLiteral("Coffee"), QStringLiteral("Café history")}));
    const QModelIndex coffee = sidebar.view->list()->model()->index(0, 0);
    const QString snippet = coffee.data(ConversationListModel::SnippetRole).toString();
    QCOMPARE(snippet, QStringLiteral("A café crème, then a second CAFE."));
    QCOMPARE(coffee.data(ConversationListModel::SnippetMatchesRole).value<QList<Range>>(),
             (QList<Range>{{2, 4}, {28, 4}}));
    const QModelIndex history = sidebar.view->list()->model()->index(1, 0);
    QCOMPARE(history.data(ConversationListModel::TitleMatchesRole).value<QList<Range>>(), (QList<Range>{{0, 4}}));
    QCOMPARE(history.data(ConversationListModel::SnippetRole).toString(), QStringLiteral("Café history"));
    QVERIFY(sidebar.view->grab().width() > 0); // the marked rows paint

    QVERIFY(sidebar.type(QStringLiteral("café pivot")));
    QVERIFY(sidebar.rows().isEmpty());
    QVERIFY(sidebar.view->showsNoMatches());

    // A change to the history while searching shows in the hits.
    QVERIFY(sidebar.type(QStringLiteral("pivot")));
    QCOMPARE(sidebar.rows(), QStringList{"Sorting"});
    QSignalSpy settled(sidebar.view.get(), &ConversationSidebarView::searchSettled);
    sidebar.store.upsert(conversation(QStringLiteral("Pivot tables"), 400, QString()));
    QVERIFY(settled.wait(10000));
    QCOMPARE(sidebar.rows(), (QStringList{"Pivot tables", "Sorting"}));
}

void TestSidebarSearch::escapeClearsThenPassesOn()
{
    Sidebar sidebar;
    sidebar.view->focusSearch();
    QVERIFY(sidebar.type(QStringLiteral("sort")));
    QCOMPARE(sidebar.rows(), QStringList{"Sorting"});

    QKeyEvent escape(QEvent::KeyPress, Qt::Key_Escape, Qt::NoModifier);
    QApplication::sendEvent(sidebar.view->searchField(), &escape);
    QVERIFY(escape.isAccepted());
    QCOMPARE(sidebar.view->searchField()->text(), QString());
    QCOMPARE(sidebar.rows().size(), 3);

    QKeyEvent again(QEvent::KeyPress, Qt::Key_Escape, Qt::NoModifier);
    QApplication::sendEvent(sidebar.view->searchField(), &again);
    QVERIFY(!again.isAccepted()); // an empty field lets the panel close
}

void TestSidebarSearch::rowsActOnTheirOwnConversation()
{
    Sidebar sidebar;
    QVERIFY(sidebar.type(QStringLiteral("coffee")));
    QCOMPARE(sidebar.rows(), (QStringList{QStringLiteral("Coffee"), QStringLiteral("Café history")}));

    QSignalSpy load(sidebar.view.get(), &ConversationSidebarView::loadRequested);
    QTest::keyClick(sidebar.view->searchField(), Qt::Key_Return);
    QCOMPARE(load.size(), 1);
    const QUuid opened = load.front().front().value<QUuid>();
    const QList<Conversation> &all = sidebar.store.conversations();
    const auto found = std::find_if(all.cbegin(), all.cend(), [&](const Conversation &c) { return c.id == opened; });
    QVERIFY(found != all.cend());
    QCOMPARE(found->title, QStringLiteral("Coffee"));

    sidebar.view->copyRowAsMarkdown(1);
    QCOMPARE(QGuiApplication::clipboard()->text(),
             QStringLiteral("# Café history\n\n## User\n\nCafé history\n\n## Assistant\n\nCoffee houses.\n"));

    QSignalSpy settled(sidebar.view.get(), &ConversationSidebarView::searchSettled);
    sidebar.view->deleteRow(1);
    QVERIFY(settled.wait(10000));
    QCOMPARE(sidebar.rows(), QStringList{"Coffee"});
    QCOMPARE(sidebar.store.conversations().size(), 2);
    QVERIFY(sidebar.store.conversations().at(0).title != QLatin1String("Café history"));
}

void TestSidebarSearch::ctrlFOpensTheHistoryAtTheField()
{
    IsolatedHome home;
    UserDefaults defaults{home.preferencesFile()};
    PresetStore presets{home.presetsFile()};
    LauncherSession session{defaults, KeyStore::system(), presets, home.historyFile()};
    LauncherView view{session};
    view.resize(680, 480);
    view.show();
    QVERIFY(QTest::qWaitForWindowActive(&view) || QTest::qWaitForWindowExposed(&view));
    view.focusInput();
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_F, Qt::ControlModifier);
    QVERIFY(view.isSidebarOpen());
    QVERIFY(view.sidebar());
    QTRY_VERIFY(view.sidebar()->searchField()->hasFocus());
}

QTEST_MAIN(TestSidebarSearch)
#include "tst_sidebarsearch.moc"
