// SPDX-License-Identifier: GPL-3.0-or-later
#include "services/SpeechManager.h"
#include "services/WavFileSource.h"

#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>

namespace {

const QString kGrammar = QStringLiteral(
    "#JSGF V1.0;\ngrammar launcher;\n"
    "public <command> = (open | close | show | hide) the (window | door | settings | history) [please];\n");

// A microphone that can be pulled out mid-sentence.
class UnpluggableSource : public WavFileSource
{
public:
    using WavFileSource::WavFileSource;
    void unplug() { Q_EMIT failed(QStringLiteral("The microphone stopped delivering sound.")); }
};

struct Deliveries
{
    QStringList texts;
    std::function<void(const QString &)> callback()
    {
        return [this](const QString &text) { texts << text; };
    }
};

} // namespace

// Dictation through the same path the program uses, fed speech synthesised
// with espeak-ng, played in real time by a WAV-file audio source.
class TestSpeechManager : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase()
    {
        if (!SpeechModel::usEnglish().isInstalled())
            QSKIP("needs the PocketSphinx US English model (pocketsphinx-en-us)");
        if (QStandardPaths::findExecutable(QStringLiteral("espeak-ng")).isEmpty()
            || QStandardPaths::findExecutable(QStringLiteral("sox")).isEmpty())
            QSKIP("needs espeak-ng and sox to make speech");
        const QString raw = m_scratch.filePath(QStringLiteral("raw.wav"));
        m_speech = m_scratch.filePath(QStringLiteral("speech.wav"));
        QCOMPARE(QProcess::execute(QStringLiteral("espeak-ng"), {"-v", "en-us", "-s", "140", "-w", raw, m_sentence}),
                 0);
        QCOMPARE(QProcess::execute(QStringLiteral("sox"), {raw, "-r", "16000", "-c", "1", "-b", "16", m_speech}), 0);
    }

    void finalResultIsDeliveredOnce()
    {
        auto speech = manager(m_speech);
        QCOMPARE(speech->authStatus(), SpeechManager::AuthStatus::NotDetermined);
        Deliveries delivered;
        speech->toggle(delivered.callback());
        QCOMPARE(speech->authStatus(), SpeechManager::AuthStatus::Authorized);
        QVERIFY(speech->isListening());

        const QStringList history = transcriptHistory(*speech);
        QVERIFY(!speech->isListening());
        QCOMPARE(delivered.texts, QStringList{m_sentence});
        QCOMPARE(speech->liveTranscript(), m_sentence);
        // Partial hypotheses came first, growing towards the sentence.
        QVERIFY2(history.size() >= 2, qPrintable(history.join(QLatin1String(" | "))));
        QCOMPARE(history.last(), m_sentence);

        // The silence that follows must not deliver a second time.
        QTest::qWait(1000);
        QCOMPARE(delivered.texts.size(), 1);

        // A new run starts from an empty transcript; off before any speech delivers it.
        speech->toggle(delivered.callback());
        QVERIFY(speech->isListening());
        QCOMPARE(speech->liveTranscript(), QString());
        speech->toggle(delivered.callback());
        QCOMPARE(delivered.texts, (QStringList{m_sentence, QString()}));
    }

    void togglingOffEarlyDeliversWhatWasHeard()
    {
        auto speech = manager(m_speech);
        Deliveries byItself, byUser;
        speech->toggle(byItself.callback());
        QTRY_VERIFY_WITH_TIMEOUT(!speech->liveTranscript().isEmpty(), 20000);
        QVERIFY(speech->isListening());

        const QString heard = speech->liveTranscript();
        speech->toggle(byUser.callback());
        QVERIFY(!speech->isListening());
        QCOMPARE(byUser.texts, QStringList{heard});

        // Results still on their way from the decoder belong to the ended run.
        QTest::qWait(3000);
        QCOMPARE(byItself.texts, QStringList());
        QCOMPARE(byUser.texts.size(), 1);
        QCOMPARE(speech->liveTranscript(), heard);
    }

    void inputFailureAfterPartialTextDeliversNothing()
    {
        SpeechModel model = SpeechModel::usEnglish();
        model.grammar = kGrammar;
        auto source = std::make_unique<UnpluggableSource>(m_speech);
        UnpluggableSource *microphone = source.get();
        SpeechManager speech(std::move(source), model);
        Deliveries delivered;
        speech.toggle(delivered.callback());
        QTRY_VERIFY_WITH_TIMEOUT(!speech.liveTranscript().isEmpty(), 20000);

        const QString partial = speech.liveTranscript();
        microphone->unplug();
        QVERIFY(!speech.isListening());
        QVERIFY(!microphone->isActive());
        QTest::qWait(3000);
        QCOMPARE(delivered.texts, QStringList());
        QCOMPARE(speech.liveTranscript(), partial);
    }

    void nothingToListenWith_data()
    {
        QTest::addColumn<QString>("input");
        QTest::addColumn<bool>("modelInstalled");
        QTest::addColumn<SpeechManager::AuthStatus>("status");
        QTest::addColumn<QString>("problem");

        QTest::newRow("no input device is a refusal")
            << "/nonexistent/microphone.wav" << true << SpeechManager::AuthStatus::Denied << "No microphone was found.";
        QTest::newRow("input that cannot start")
            << "not audio" << true << SpeechManager::AuthStatus::Authorized << "is not a PCM or float WAV file.";
        QTest::newRow("no recogniser model") << "speech" << false << SpeechManager::AuthStatus::Authorized
                                             << "Dictation needs the PocketSphinx US English model";
    }

    void nothingToListenWith()
    {
        QFETCH(QString, input);
        QFETCH(bool, modelInstalled);
        QFETCH(SpeechManager::AuthStatus, status);
        QFETCH(QString, problem);

        if (input == QLatin1String("speech")) {
            input = m_speech;
        } else if (input == QLatin1String("not audio")) {
            input = m_scratch.filePath(QStringLiteral("notes.txt"));
            QFile notes(input);
            QVERIFY(notes.open(QIODevice::WriteOnly));
            notes.write("RIFF? no, just text\n");
        }
        SpeechModel model = SpeechModel::usEnglish();
        model.grammar = kGrammar;
        if (!modelInstalled)
            model.acousticModel = QStringLiteral("/nonexistent/model");

        SpeechManager speech(std::make_unique<WavFileSource>(input), model);
        QStringList reported;
        connect(&speech, &SpeechManager::problemReported, this, [&](const QString &text) { reported << text; });
        Deliveries delivered;
        speech.toggle(delivered.callback());
        QCOMPARE(speech.authStatus(), status);
        QVERIFY(!speech.isListening());
        // Said every time the user tries, not only the first.
        speech.toggle(delivered.callback());
        QCOMPARE(reported.size(), 2);
        QVERIFY2(reported.first().contains(problem), qPrintable(reported.first()));
        QCOMPARE(speech.problem(), reported.last());
        QTest::qWait(500);
        QCOMPARE(delivered.texts, QStringList());
    }

    // Inputs rarely deliver 16 kHz mono: the sentence recorded as a sound card
    // records it still reads as the sentence.
    void speechInTheDeviceFormatIsRecognised_data()
    {
        QTest::addColumn<QStringList>("layout");
        QTest::newRow("48 kHz stereo float")
            << QStringList{"-r", "48000", "-c", "2", "-e", "floating-point", "-b", "32"};
        QTest::newRow("44.1 kHz stereo 16-bit")
            << QStringList{"-r", "44100", "-c", "2", "-e", "signed-integer", "-b", "16"};
    }

    void speechInTheDeviceFormatIsRecognised()
    {
        QFETCH(QStringList, layout);
        const QString device = m_scratch.filePath(QStringLiteral("device.wav"));
        QCOMPARE(QProcess::execute(QStringLiteral("sox"), QStringList{m_speech} + layout + QStringList{device}), 0);
        auto speech = manager(device);
        Deliveries delivered;
        speech->toggle(delivered.callback());
        QVERIFY(speech->isListening());
        QTRY_COMPARE_WITH_TIMEOUT(delivered.texts, QStringList{m_sentence}, 30000);
        QCOMPARE(speech->problem(), QString());
        // What the engines are sent is the run's audio at 16 kHz, however the input recorded it.
        const qsizetype spoken = WavFileSource::readPcm(m_speech).size();
        QVERIFY2(speech->recording().size() > spoken * 8 / 10,
                 qPrintable(QStringLiteral("%1 of %2 bytes").arg(speech->recording().size()).arg(spoken)));
    }

    void recordingStopsAtTheLongestLength()
    {
        auto speech = manager(m_speech);
        speech->setLongestRecording(std::chrono::milliseconds(700));
        QStringList reported;
        connect(speech.get(), &SpeechManager::problemReported, this, [&](const QString &text) { reported << text; });
        Deliveries delivered;
        speech->toggle(delivered.callback());
        QTRY_VERIFY_WITH_TIMEOUT(!speech->isListening(), 5000);
        QCOMPARE(speech->recording().size(), 700 * AudioSource::sampleRate / 1000 * 2);
        // Stopped as if by the user: what was heard so far is delivered, and the user is told why.
        QCOMPARE(delivered.texts.size(), 1);
        QCOMPARE(reported.size(), 1);
        QVERIFY2(reported.first().startsWith(QLatin1String("Dictation stopped")), qPrintable(reported.first()));
    }

private:
    std::unique_ptr<SpeechManager> manager(const QString &wav);
    // Follows liveTranscript while the run lasts; returns each value it took.
    QStringList transcriptHistory(SpeechManager &speech);

    QTemporaryDir m_scratch;
    QString m_speech;
    const QString m_sentence = QStringLiteral("open the window please");
};

std::unique_ptr<SpeechManager> TestSpeechManager::manager(const QString &wav)
{
    SpeechModel model = SpeechModel::usEnglish();
    model.grammar = kGrammar;
    return std::make_unique<SpeechManager>(std::make_unique<WavFileSource>(wav), model);
}

QStringList TestSpeechManager::transcriptHistory(SpeechManager &speech)
{
    QStringList history;
    connect(&speech, &SpeechManager::liveTranscriptChanged, this,
            [&history, &speech] { history << speech.liveTranscript(); });
    (void)QTest::qWaitFor([&speech] { return !speech.isListening(); }, 30000);
    speech.disconnect(this);
    return history;
}

QTEST_GUILESS_MAIN(TestSpeechManager)
#include "tst_speechmanager.moc"
