#ifndef LUMETRA_SIM_STATUSPLAYER_H
#define LUMETRA_SIM_STATUSPLAYER_H

#include "scenario.h"

#include <condition_variable>
#include <deque>
#include <functional>
#include <mutex>
#include <thread>
#include <vector>

// The SDK thread of one printing document: plays the status sequence of each
// measured page, page after page in the order MeasurePage queued them.
class StatusPlayer
{
public:
    // Called on the player's thread for every status, with no lock held.
    using Deliver = std::function<void(int32_t measuredPage, const StatusStep& step)>;

    StatusPlayer(Deliver deliver, int defaultDelayMs);
    ~StatusPlayer();

    StatusPlayer(const StatusPlayer&) = delete;
    StatusPlayer& operator=(const StatusPlayer&) = delete;

    void enqueue(int32_t page, const std::vector<StatusStep>& steps);
    // No page waiting and none being played.
    bool idle();
    bool onPlayerThread() const { return std::this_thread::get_id() == m_threadId; }
    // No status is delivered once this returns; waits for one being delivered
    // unless called from the player's own thread (then the thread ends after it).
    void stop();

private:
    struct Page
    {
        int32_t number;
        std::vector<StatusStep> steps;
    };

    void play();
    bool pause(int delayMs);

    Deliver m_deliver;
    int m_defaultDelayMs;
    std::mutex m_mutex;
    std::condition_variable m_wake;
    std::deque<Page> m_queue;
    bool m_playing = false;
    bool m_stopping = false;
    std::thread m_thread;
    std::thread::id m_threadId; // kept apart from m_thread, which join() changes
};

#endif
