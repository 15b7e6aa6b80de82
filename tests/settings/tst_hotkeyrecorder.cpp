// The recorder with synthetic key events carrying X11 key codes, as the X
// server sends them (Linux evdev code + 8).
#include "settings/HotkeyRecorderKeyView.h"
#include "settings/HotkeyRecorderView.h"
#include "platform/HotkeyBinding.h"
#include "support/X11Keys.h"

#include <QPushButton>
#include <QTest>

class TestHotkeyRecorder : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void keyCapture_data();
    void keyCapture();
    void displayText_data();
    void displayText();
    void clickAndButtonBothStartRecording();
    void recordingIsDrawnBlue();
};

void TestHotkeyRecorder::keyCapture_data()
{
    QTest::addColumn<quint32>("x11Keycode");
    QTest::addColumn<int>("qtKey");
    QTest::addColumn<int>("modifiers");
    QTest::addColumn<bool>("stillRecording");
    QTest::addColumn<quint32>("keyCode");
    QTest::addColumn<quint32>("carbon");
    QTest::addColumn<QString>("shown");

    const int none = Qt::NoModifier;
    // The old binding is Option-Space.
    QTest::newRow("K alone is ignored") << x11Keycode(KEY_K) << int(Qt::Key_K) << none << true << 49u << 2048u << "";
    QTest::newRow("Command-Shift-K records 40 with 768")
        << x11Keycode(KEY_K) << int(Qt::Key_K) << int(Qt::MetaModifier | Qt::ShiftModifier) << false << 40u << 768u
        << "Shift+Super+K";
    QTest::newRow("Control-Command-S records 1 with 4352")
        << x11Keycode(KEY_S) << int(Qt::Key_S) << int(Qt::ControlModifier | Qt::MetaModifier) << false << 1u << 4352u
        << "Ctrl+Super+S";
    QTest::newRow("Esc alone cancels, the old binding stays")
        << x11Keycode(KEY_ESC) << int(Qt::Key_Escape) << none << false << 49u << 2048u << "Alt+Space";
    QTest::newRow("Command-Esc is recorded")
        << x11Keycode(KEY_ESC) << int(Qt::Key_Escape) << int(Qt::MetaModifier) << false << 53u << 256u << "Super+Esc";
    QTest::newRow("F5 alone is ignored") << x11Keycode(KEY_F5) << int(Qt::Key_F5) << none << true << 49u << 2048u << "";
    QTest::newRow("the keypad flag is no modifier")
        << x11Keycode(KEY_F5) << int(Qt::Key_F5) << int(Qt::KeypadModifier) << true << 49u << 2048u << "";
    QTest::newRow("Control-F5 records 96 with 4096")
        << x11Keycode(KEY_F5) << int(Qt::Key_F5) << int(Qt::ControlModifier) << false << 96u << 4096u << "Ctrl+F5";
    QTest::newRow("Shift pressed while Control is held is no combination yet")
        << x11Keycode(KEY_LEFTSHIFT) << int(Qt::Key_Shift) << int(Qt::ControlModifier) << true << 49u << 2048u << "";
    QTest::newRow("a key without a code is ignored") << 0u << int(Qt::Key_K) << int(Qt::ControlModifier) << true
                                                     << 49u << 2048u << "";
}

void TestHotkeyRecorder::keyCapture()
{
    QFETCH(quint32, x11Keycode);
    QFETCH(int, qtKey);
    QFETCH(int, modifiers);
    QFETCH(bool, stillRecording);
    QFETCH(quint32, keyCode);
    QFETCH(quint32, carbon);
    QFETCH(QString, shown);

    HotkeyRecorderView recorder;
    recorder.show();
    QVERIFY(QTest::qWaitForWindowExposed(&recorder));
    recorder.setRecording(true);
    QCOMPARE(recorder.keyView()->displayText(), QStringLiteral("Press keys… (Esc to cancel)"));

    pressX11Key(recorder.keyView(), x11Keycode, Qt::Key(qtKey), Qt::KeyboardModifiers(modifiers));
    QCOMPARE(recorder.isRecording(), stillRecording);
    QCOMPARE(recorder.keyView()->isRecording(), stillRecording);
    QCOMPARE(recorder.keyCode(), keyCode);
    QCOMPARE(recorder.modifiers(), carbon);
    if (!stillRecording)
        QCOMPARE(recorder.keyView()->displayText(), shown);
}

void TestHotkeyRecorder::displayText_data()
{
    QTest::addColumn<quint32>("keyCode");
    QTest::addColumn<quint32>("modifiers");
    QTest::addColumn<QString>("shown");
    QTest::newRow("the built-in launch hotkey") << 49u << 2048u << "Alt+Space";
    QTest::newRow("K on a US layout") << 40u << 768u << "Shift+Super+K";
    QTest::newRow("the built-in screenshot hotkey") << 1u << 4352u << "Ctrl+Super+S";
    QTest::newRow("all four modifiers in their order") << 49u << (256u | 512u | 2048u | 4096u) << "Ctrl+Alt+Shift+Super+Space";
    QTest::newRow("a named key") << 123u << 4096u << "Ctrl+Left";
    QTest::newRow("F1") << 122u << 2048u << "Alt+F1";
    QTest::newRow("the key left of Backspace") << 24u << 512u << "Shift+=";
    QTest::newRow("a digit") << 18u << 256u << "Super+1";
    QTest::newRow("a code with no key") << 52u << 256u << "Super+Key52";
    QTest::newRow("a code far outside") << 4000000000u << 4096u << "Ctrl+Key4000000000";
}

void TestHotkeyRecorder::displayText()
{
    QFETCH(quint32, keyCode);
    QFETCH(quint32, modifiers);
    QFETCH(QString, shown);
    QCOMPARE((HotkeyBinding{keyCode, modifiers}.displayText()), shown);
}

void TestHotkeyRecorder::clickAndButtonBothStartRecording()
{
    HotkeyRecorderView recorder;
    recorder.show();
    QVERIFY(QTest::qWaitForWindowExposed(&recorder));

    QTest::mouseClick(recorder.keyView(), Qt::LeftButton);
    QVERIFY(recorder.isRecording());
    QVERIFY(recorder.keyView()->hasFocus() || !recorder.isActiveWindow());
    // A second click while recording changes nothing.
    QTest::mouseClick(recorder.keyView(), Qt::LeftButton);
    QVERIFY(recorder.isRecording());
    recorder.setRecording(false);
    QVERIFY(!recorder.keyView()->isRecording());
    QCOMPARE(recorder.keyView()->displayText(), QStringLiteral("Alt+Space"));

    // As the "Click to change" button does: the very next combination counts.
    recorder.setRecording(true);
    pressX11Key(recorder.keyView(), x11Keycode(KEY_K), Qt::Key_K, Qt::AltModifier);
    QCOMPARE(recorder.keyCode(), 40u);
    QCOMPARE(recorder.modifiers(), 2048u);
    QVERIFY(!recorder.isRecording());

    // Idle, keys change nothing.
    pressX11Key(recorder.keyView(), x11Keycode(KEY_S), Qt::Key_S, Qt::ControlModifier);
    QCOMPARE(recorder.keyCode(), 40u);
}

void TestHotkeyRecorder::recordingIsDrawnBlue()
{
    HotkeyRecorderView recorder;
    recorder.show();
    QVERIFY(QTest::qWaitForWindowExposed(&recorder));
    const auto fillAt = [&recorder] { return recorder.keyView()->grab().toImage().pixelColor(4, 14); };
    const QColor idle = fillAt();
    QVERIFY2(qAbs(idle.red() - idle.blue()) < 12, qPrintable(idle.name()));
    recorder.setRecording(true);
    const QColor recording = fillAt();
    QVERIFY2(recording.blue() > recording.red() + 40, qPrintable(recording.name()));
}

QTEST_MAIN(TestHotkeyRecorder)
#include "tst_hotkeyrecorder.moc"
