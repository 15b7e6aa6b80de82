// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <condition_variable>
#include <functional>
#include <mutex>
#include <thread>

// An object's own thread for work in the background, with the lock that
// guards what the object shares with it and the wake-up it sleeps on. The
// loop locks mutex() itself and returns once it finds stopping(); its waits
// end early when stop() is called. Declare it after everything the loop
// uses, so that the loop starts last, and call stop() before tearing down
// what the loop uses.
class WorkerThread
{
public:
    explicit WorkerThread(std::function<void()> loop);
    ~WorkerThread();

    WorkerThread(const WorkerThread &) = delete;
    WorkerThread &operator=(const WorkerThread &) = delete;

    std::mutex &mutex() const { return m_mutex; }

    // Wakes the loop to look again at what it waits for.
    void wake() { m_wake.notify_all(); }

    // True once stop() was called; read it under the lock.
    bool stopping() const { return m_stopping; }

    // Sleep under the lock until `ready` holds, the deadline or the time has
    // passed, or stop() is called.
    template<typename Predicate> void wait(std::unique_lock<std::mutex> &lock, Predicate ready)
    {
        m_wake.wait(lock, [&] { return m_stopping || ready(); });
    }
    template<typename TimePoint, typename Predicate>
    void waitUntil(std::unique_lock<std::mutex> &lock, const TimePoint &deadline, Predicate ready)
    {
        m_wake.wait_until(lock, deadline, [&] { return m_stopping || ready(); });
    }
    template<typename Duration> void waitFor(std::unique_lock<std::mutex> &lock, const Duration &time)
    {
        m_wake.wait_for(lock, time, [this] { return m_stopping; });
    }

    // Asks the loop to return and waits until it has.
    void stop();

private:
    mutable std::mutex m_mutex;
    std::condition_variable m_wake;
    bool m_stopping = false;
    std::thread m_thread;
};
