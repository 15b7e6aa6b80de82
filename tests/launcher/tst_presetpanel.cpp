// SPDX-License-Identifier: GPL-3.0-or-later
// The windows' side of presets: the "/" list under the input, driven by typed
// keys, the conversation's instructions strip, and Settings' presets section.
#include "launcher/InputBar.h"
#include "launcher/InstructionsStrip.h"
#include "launcher/LauncherView.h"
#include "launcher/MultilineTextField.h"
#include "launcher/PresetPicker.h"
#include "presets/PresetStore.h"
#include "settings/PresetsPage.h"
#include "support/IsolatedSession.h"

#include <QApplication>
#include <QComboBox>
#include <QLineEdit>
#include <QListWidget>
#include <QPlainTextEdit>
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

    // Edits in Settings reach the file at once; a clash is told and changes nothing.
    void settingsEditsPresets()
    {
        IsolatedHome home;
        const QString path = home.configHome() + QStringLiteral("/Tarnwick/presets.json");
        PresetStore store(path);
        PresetsPage page(store);
        QCOMPARE(page.list()->count(), 4);
        page.list()->setCurrentRow(1);
        auto *name = page.findChildren<QLineEdit *>().at(0);
        QCOMPARE(name->text(), QStringLiteral("explain"));
        name->setText(QStringLiteral("eli5"));
        page.findChildren<QPlainTextEdit *>().at(0)->setPlainText(QStringLiteral("Explain it simply."));
        page.findChild<QComboBox *>()->setCurrentText(QStringLiteral("OpenRouter"));
        page.savePreset();
        QVERIFY(page.problemText().isEmpty());
        const std::optional<Preset> saved = PresetStore(path).find(QStringLiteral("eli5"));
        QVERIFY(saved);
        QCOMPARE(saved->instructions, QStringLiteral("Explain it simply."));
        QCOMPARE(saved->provider, QStringLiteral("OpenRouter"));
        QCOMPARE(saved->promptTemplate, QStringLiteral("Explain this:\n\n{selection}"));
        QCOMPARE(page.list()->currentItem()->text(), QStringLiteral("/eli5"));

        name->setText(QStringLiteral("fix"));
        page.savePreset();
        QVERIFY(page.problemText().contains(QStringLiteral("already a preset named fix")));
        page.list()->setCurrentRow(0);
        page.deletePreset();
        QCOMPARE(PresetStore(path).names(), (QStringList{"eli5", "translate", "summarize"}));
    }
};

QTEST_MAIN(TestPresetPanel)
#include "tst_presetpanel.moc"
