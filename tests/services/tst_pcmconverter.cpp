// SPDX-License-Identifier: GPL-3.0-or-later
#include "services/PcmConverter.h"

#include <QTest>
#include <QtEndian>

#include <cmath>
#include <numbers>

namespace {

constexpr double kTone = 440.0;

// One second of a tone at half level in the given layout; rightPhase -1 puts
// the second channel in opposite phase.
QByteArray tone(const PcmFormat &format, double rightPhase = 1)
{
    QByteArray bytes;
    const int rate = format.sampleRate;
    for (int i = 0; i < rate; ++i) {
        const double level = 0.5 * std::sin(2 * std::numbers::pi * kTone * i / rate);
        for (int c = 0; c < format.channelCount; ++c) {
            const double v = c == 1 ? level * rightPhase : level;
            char sample[4];
            switch (format.sample) {
            case PcmFormat::Sample::UInt8:
                bytes.append(char(quint8(std::lround(128 + v * 127))));
                continue;
            case PcmFormat::Sample::Int16:
                qToLittleEndian(qint16(std::lround(v * 32767)), sample);
                bytes.append(sample, 2);
                continue;
            case PcmFormat::Sample::Int32:
                qToLittleEndian(qint32(std::lround(v * 2147483647.0)), sample);
                break;
            default:
                qToLittleEndian(float(v), sample);
                break;
            }
            bytes.append(sample, 4);
        }
    }
    return bytes;
}

PcmFormat layout(int rate, int channels, PcmFormat::Sample sample)
{
    return {rate, channels, sample};
}

QList<qint16> samplesOf(const QByteArray &pcm)
{
    QList<qint16> samples;
    for (qsizetype at = 0; at + 1 < pcm.size(); at += 2)
        samples << qFromLittleEndian<qint16>(pcm.constData() + at);
    return samples;
}

} // namespace

class TestPcmConverter : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void deviceFormatsBecomeSpeechSamples_data()
    {
        QTest::addColumn<PcmFormat>("format");
        QTest::newRow("48 kHz stereo float") << layout(48000, 2, PcmFormat::Sample::Float);
        QTest::newRow("44.1 kHz stereo 16-bit") << layout(44100, 2, PcmFormat::Sample::Int16);
        QTest::newRow("96 kHz 4 channels 32-bit") << layout(96000, 4, PcmFormat::Sample::Int32);
        QTest::newRow("8 kHz mono 8-bit") << layout(8000, 1, PcmFormat::Sample::UInt8);
        QTest::newRow("16 kHz mono 16-bit") << layout(16000, 1, PcmFormat::Sample::Int16);
    }

    // One second in odd-sized blocks that split frames: 16000 samples of the
    // same tone at the same level, as a block of the whole gives.
    void deviceFormatsBecomeSpeechSamples()
    {
        QFETCH(PcmFormat, format);
        const QByteArray input = tone(format);
        PcmConverter whole(format);
        QVERIFY(whole.isValid());
        const QByteArray expected = whole.convert(input);
        // Speech samples already: they pass unchanged.
        if (format == layout(16000, 1, PcmFormat::Sample::Int16))
            QCOMPARE(expected, input);

        PcmConverter pieces(format);
        QByteArray output;
        for (qsizetype at = 0; at < input.size(); at += 1001)
            output += pieces.convert(input.mid(at, 1001));
        QCOMPARE(output, expected);

        const QList<qint16> samples = samplesOf(output);
        QCOMPARE(samples.size(), 16000);
        // 440 Hz crosses zero 880 times a second, up and down.
        int crossings = 0;
        double energy = 0;
        for (qsizetype i = 0; i < samples.size(); ++i) {
            crossings += i > 0 && (samples[i - 1] < 0) != (samples[i] < 0);
            energy += double(samples[i]) * samples[i];
        }
        QVERIFY2(std::abs(crossings - 880) <= 2, qPrintable(QString::number(crossings)));
        // A sine at half level has an RMS of 0.5/sqrt(2) of full scale.
        const double rms = std::sqrt(energy / samples.size()) / 32768.0;
        QVERIFY2(std::abs(rms - 0.5 / std::numbers::sqrt2) < 0.01, qPrintable(QString::number(rms)));
    }

    void channelsAreMixed()
    {
        const PcmFormat format = layout(48000, 2, PcmFormat::Sample::Float);
        PcmConverter converter(format);
        const QList<qint16> samples = samplesOf(converter.convert(tone(format, -1)));
        QCOMPARE(samples.size(), 16000);
        QVERIFY(std::all_of(samples.begin(), samples.end(), [](qint16 s) { return s == 0; }));
    }

    void unknownLayoutsAreRefused_data()
    {
        QTest::addColumn<PcmFormat>("format");
        QTest::newRow("no channels") << layout(48000, 0, PcmFormat::Sample::Int16);
        QTest::newRow("no rate") << layout(0, 1, PcmFormat::Sample::Int16);
    }

    void unknownLayoutsAreRefused()
    {
        QFETCH(PcmFormat, format);
        PcmConverter converter(format);
        QVERIFY(!converter.isValid());
        QCOMPARE(converter.convert(QByteArray(64, '\1')), QByteArray());
    }
};

QTEST_GUILESS_MAIN(TestPcmConverter)
#include "tst_pcmconverter.moc"
