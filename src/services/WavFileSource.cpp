#include "services/WavFileSource.h"

#include <QFile>
#include <QFileInfo>
#include <QtEndian>

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
    bool formatOk = false;
    for (qsizetype at = 12; at + 8 <= wav.size();) {
        const QByteArray id = wav.mid(at, 4);
        const qsizetype size = le32(wav.constData() + at + 4);
        const qsizetype body = at + 8;
        if (size > wav.size() - body && id != "data")
            return {};
        if (id == "fmt " && size >= 16) {
            const char *f = wav.constData() + body;
            formatOk = le16(f) == 1 && le16(f + 2) == 1 && le32(f + 4) == quint32(sampleRate) && le16(f + 14) == 16;
        } else if (id == "data") {
            // Streamed WAV files may leave the data size open; take what is there.
            return formatOk ? wav.mid(body, std::min<qsizetype>(size, wav.size() - body) & ~qsizetype(1)) : QByteArray();
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
    if (m_pcm.isEmpty())
        return false;
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
