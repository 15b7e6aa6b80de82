// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QtGlobal>

#include <QByteArray>
#include <QString>

#include <atomic>
#include <thread>

// A provider on 127.0.0.1 that writes as fast as the client reads: each
// answer in the chosen dialect, endless or of a set length, from threads of
// its own so the client's event loop is the only one that can lag.
class FullSpeedProvider
{
public:
    FullSpeedProvider();
    ~FullSpeedProvider();

    QString baseUrl() const;
    // Answers from now on carry this much text (0: endless).
    void setAnswerBytes(qsizetype bytes) { m_answerBytes = bytes; }
    // Answers from now on are one endless word, as a model stuck on a letter
    // sends, rather than words.
    void setOneWord(bool oneWord) { m_oneWord = oneWord; }
    // Answers begun so far, and those the client has closed or that ended.
    int started() const { return m_started; }
    int ended() const { return m_ended; }

private:
    void acceptLoop();
    void serve(int client);

    int m_listener = -1;
    quint16 m_port = 0;
    std::atomic<qsizetype> m_answerBytes{0};
    std::atomic<bool> m_oneWord{false};
    std::atomic<int> m_started{0};
    std::atomic<int> m_ended{0};
    std::atomic<bool> m_stopping{false};
    std::thread m_acceptor;
};
