// The panel's side of presets: the "/" list under the input, driven by typed
// keys, and the conversation's instructions strip.
#include "launcher/InputBar.h"
#include "launcher/InstructionsStrip.h"
#include "launcher/LauncherView.h"
#include "launcher/MultilineTextField.h"
#include "launcher/PresetPicker.h"
#include "support/IsolatedSession.h"

#include <QApplication>
#include <QSignalSpy>
#include <QTest>

namespace {

struct Panel : IsolatedSession
{
    LauncherView view{session};
    MultilineTextField *field = view.inputBar()->field();
    PresetPicker *picker = view.presetPicker();

    Panel()
    {
        view.resize(700, 540);
        view.show();
        QApplication::setActiveWindow(&view);
        view.focusInput();
    }
};

} // namespace

class TestPresetPanel : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void slashListsPresetsAndTypedKeysPickOne()
    {
        Panel panel;
        QSignalSpy closed(&panel.view, &LauncherView::closeRequested);
        QVERIFY(panel.picker->isHidden());
        QTest::keyClick(panel.field, Qt::Key_Slash);
        QTRY_VERIFY(panel.picker->isVisible());
        QCOMPARE(panel.picker->shownNames(), (QStringList{"fix", "explain", "translate", "summarize"}));
        // Below the input, inside the panel.
        QVERIFY(panel.picker->geometry().top() >= panel.view.inputBar()->geometry().bottom());

        // Filtered as the user types: names that start with it first, then those holding it.
        QTest::keyClicks(panel.field, QStringLiteral("a"));
        QCOMPARE(panel.picker->shownNames(), (QStringList{"explain", "translate", "summarize"}));
        QTest::keyClick(panel.field, Qt::Key_Down);
        QTest::keyClick(panel.field, Qt::Key_Down);
        QTest::keyClick(panel.field, Qt::Key_Down);
        QCOMPARE(panel.picker->currentRow(), 0); // round again
        QTest::keyClick(panel.field, Qt::Key_Up);
        QTest::keyClick(panel.field, Qt::Key_Tab);
        QCOMPARE(panel.vm.inputText(), QStringLiteral("/summarize "));
        QCOMPARE(panel.field->textCursor().position(), 11);
        QVERIFY(panel.picker->isHidden());
        QVERIFY(panel.field->hasFocus()); // Tab picked, it did not move the focus

        // Esc puts the list away and leaves the panel open; a new word brings it back.
        panel.field->selectAll();
        QTest::keyClicks(panel.field, QStringLiteral("/tr"));
        QCOMPARE(panel.picker->shownNames(), QStringList{"translate"});
        QTest::keyClick(panel.field, Qt::Key_Escape);
        QVERIFY(panel.picker->isHidden());
        QCOMPARE(closed.size(), 0);
        panel.field->selectAll();
        QTest::keyClicks(panel.field, QStringLiteral("/fi"));
        QTest::keyClick(panel.field, Qt::Key_Return);
        QCOMPARE(panel.vm.inputText(), QStringLiteral("/fix "));

        // A name typed in full goes out on Return, as any prompt.
        panel.field->selectAll();
        QTest::keyClicks(panel.field, QStringLiteral("/fix"));
        QVERIFY(panel.picker->isVisible());
        QTest::keyClick(panel.field, Qt::Key_Return);
        QTRY_VERIFY(panel.vm.errorMessage().has_value()); // nothing highlighted to fix
        QVERIFY(panel.vm.errorMessage()->startsWith(QStringLiteral("/fix works on the highlighted text")));
        QTest::keyClick(panel.field, Qt::Key_Space);
        QVERIFY(panel.picker->isHidden()); // past the name, the list has nothing to offer
    }

    void instructionsStripFoldsAndUnfolds()
    {
        Panel panel;
        InstructionsStrip *strip = panel.view.instructionsStrip();
        QVERIFY(strip->isHidden());
        const QString instructions = QStringLiteral("Translate into German.\n") + QString(400, QLatin1Char('x'));
        panel.vm.setInstructions(instructions);
        QVERIFY(strip->isVisible());
        const int folded = strip->height();
        QTest::mouseClick(strip, Qt::LeftButton);
        QVERIFY(strip->isExpanded());
        QTRY_VERIFY(strip->height() > folded);
        QTest::mouseClick(strip, Qt::LeftButton);
        QTRY_COMPARE(strip->height(), folded);
        panel.vm.newConversation();
        QVERIFY(strip->isHidden());
    }
};

QTEST_MAIN(TestPresetPanel)
#include "tst_presetpanel.moc"
