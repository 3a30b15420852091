#include "statusplayer.h"

#include <chrono>

StatusPlayer::StatusPlayer(Deliver deliver, int defaultDelayMs)
    : m_deliver(std::move(deliver)), m_defaultDelayMs(defaultDelayMs), m_thread([this] { play(); })
{
    m_threadId = m_thread.get_id();
}

StatusPlayer::~StatusPlayer()
{
    stop();
    if (m_thread.joinable())
        m_thread.detach(); // only when destroyed by its own thread; the simulator avoids that
}

void StatusPlayer::enqueue(int32_t page, const std::vector<StatusStep>& steps)
{
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        m_queue.push_back(Page{page, steps});
    }
    m_wake.notify_all();
}

bool StatusPlayer::idle()
{
    std::lock_guard<std::mutex> lock(m_mutex);
    return m_queue.empty() && !m_playing;
}

void StatusPlayer::stop()
{
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        m_stopping = true;
    }
    m_wake.notify_all();
    if (m_thread.joinable() && !onPlayerThread())
        m_thread.join();
}

bool StatusPlayer::pause(int delayMs)
{
    std::unique_lock<std::mutex> lock(m_mutex);
    m_wake.wait_for(lock, std::chrono::milliseconds(delayMs), [this] { return m_stopping; });
    return !m_stopping;
}

void StatusPlayer::play()
{
    for (;;) {
        Page page;
        {
            std::unique_lock<std::mutex> lock(m_mutex);
            m_playing = false;
            m_wake.wait(lock, [this] { return m_stopping || !m_queue.empty(); });
            if (m_stopping)
                return;
            page = std::move(m_queue.front());
            m_queue.pop_front();
            m_playing = true;
        }
        for (const StatusStep& step : page.steps) {
            if (!pause(step.delayMs >= 0 ? step.delayMs : m_defaultDelayMs))
                return;
            m_deliver(page.number, step);
        }
    }
}
