// SPDX-License-Identifier: GPL-3.0-or-later
#include "services/WavFileSource.h"

#include "services/WavAudio.h"

#include <QFile>
#include <QFileInfo>

namespace {
constexpr int kBytesPerMs = AudioSource::sampleRate * 2 / 1000;
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
    return WavAudio::toPcm(file.readAll());
}

bool WavFileSource::isAvailable() const
{
    return QFileInfo(m_path).isFile();
}

Result<> WavFileSource::start()
{
    if (m_timer.isActive())
        return {};
    m_pcm = readPcm(m_path);
    if (m_pcm.isEmpty())
        return Result<>::failure(QStringLiteral("The dictation input %1 is not a PCM or float WAV file.").arg(m_path));
    m_sentBytes = 0;
    m_clock.start();
    m_timer.start();
    return {};
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
