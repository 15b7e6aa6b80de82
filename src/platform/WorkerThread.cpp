// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/WorkerThread.h"

#include <utility>

WorkerThread::WorkerThread(std::function<void()> loop)
    : m_thread(std::move(loop))
{
}

WorkerThread::~WorkerThread()
{
    stop();
}

void WorkerThread::stop()
{
    if (!m_thread.joinable())
        return;
    {
        std::lock_guard lock(m_mutex);
        m_stopping = true;
    }
    m_wake.notify_all();
    m_thread.join();
}
