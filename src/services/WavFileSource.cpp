#include "services/WavFileSource.h"

#include "services/PcmConverter.h"

#include <QFile>
#include <QFileInfo>
#include <QtEndian>

#include <optional>

namespace {

constexpr int kBytesPerMs = AudioSource::sampleRate * 2 / 1000;

quint32 le32(const char *p)
{
    return qFromLittleEndian<quint32>(p);
}

quint16 le16(const char *p)
{
    return qFromLittleEndian<quint16>(p);
}

// The sample layout a "fmt " chunk describes, when it is plain PCM or float.
std::optional<QAudioFormat> wavFormat(const char *f, qsizetype size)
{
    constexpr quint16 pcm = 1, ieeeFloat = 3, extensible = 0xFFFE;
    quint16 tag = le16(f);
    // The extensible header names the real tag in the first bytes of its sub-format.
    if (tag == extensible && size >= 26)
        tag = le16(f + 24);
    const int bits = le16(f + 14);
    QAudioFormat format;
    format.setChannelCount(le16(f + 2));
    format.setSampleRate(int(le32(f + 4)));
    if (tag == pcm && bits == 8)
        format.setSampleFormat(QAudioFormat::UInt8);
    else if (tag == pcm && bits == 16)
        format.setSampleFormat(QAudioFormat::Int16);
    else if (tag == pcm && bits == 32)
        format.setSampleFormat(QAudioFormat::Int32);
    else if (tag == ieeeFloat && bits == 32)
        format.setSampleFormat(QAudioFormat::Float);
    else
        return std::nullopt;
    if (!PcmConverter(format).isValid())
        return std::nullopt;
    return format;
}

} // namespace

WavFileSource::WavFileSource(QString path, QObject *parent)
    : AudioSource(parent)
    , m_path(std::move(path))
{
    m_timer.setInterval(20);
    connect(&m_timer, &QTimer::timeout, this, &WavFileSource::deliver);
}

QByteArray WavFileSource::readPcm(const QString &path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    const QByteArray wav = file.readAll();
    if (wav.size() < 12 || !wav.startsWith("RIFF") || wav.mid(8, 4) != "WAVE")
        return {};
    std::optional<QAudioFormat> format;
    for (qsizetype at = 12; at + 8 <= wav.size();) {
        const QByteArray id = wav.mid(at, 4);
        const qsizetype size = le32(wav.constData() + at + 4);
        const qsizetype body = at + 8;
        if (size > wav.size() - body && id != "data")
            return {};
        if (id == "fmt " && size >= 16) {
            format = wavFormat(wav.constData() + body, size);
        } else if (id == "data") {
            if (!format)
                return {};
            // Streamed WAV files may leave the data size open; take what is there.
            PcmConverter converter(*format);
            return converter.convert(wav.mid(body, std::min<qsizetype>(size, wav.size() - body)));
        }
        at = body + size + (size & 1);
    }
    return {};
}

bool WavFileSource::isAvailable() const
{
    return QFileInfo(m_path).isFile();
}

bool WavFileSource::start()
{
    if (m_timer.isActive())
        return true;
    m_pcm = readPcm(m_path);
    if (m_pcm.isEmpty()) {
        m_problem = QStringLiteral("The dictation input %1 is not a PCM or float WAV file.").arg(m_path);
        return false;
    }
    m_problem.clear();
    m_sentBytes = 0;
    m_clock.start();
    m_timer.start();
    return true;
}

void WavFileSource::stop()
{
    m_timer.stop();
}

void WavFileSource::deliver()
{
    const qint64 due = (m_clock.elapsed() * kBytesPerMs) & ~qint64(1);
    if (due <= m_sentBytes)
        return;
    QByteArray block = m_pcm.mid(m_sentBytes, due - m_sentBytes);
    block.append(QByteArray(due - m_sentBytes - block.size(), '\0'));
    m_sentBytes = due;
    Q_EMIT samples(block);
}
