#include "event/idlehandler.h"
#include "event/idlewatcher.h"
#include "event/mainloop.h"
#include "event/signalhandler.h"
#include "event/signalwatcher.h"
#include "event/synchandler.h"
#include "event/syncwatcher.h"
#include "event/threadloop.h"
#include "event/timerhandler.h"
#include "event/timerwatcher.h"

#include <gtest/gtest.h>

#include <atomic>
#include <csignal>
#include <thread>
#include <vector>

using namespace Kestrava::Event;

namespace {

/// Ends a loop after a while, so that a test never hangs.
class Breaker : public TimerHandler
{
public:
    Breaker(struct ev_loop* loop, double seconds) : _loop(loop), _watcher(this, seconds, 0.0)
    {
        _watcher.start(loop);
    }
    void onExpired() override { ev_break(_loop, EVBREAK_ONE); }

private:
    struct ev_loop* _loop;
    TimerWatcher _watcher;
};

} // namespace

TEST(SyncWatcherTest, WakesTheLoopFromOtherThreads)
{
    ThreadLoop loop;
    struct Handler : SyncHandler
    {
        struct ev_loop* loop = nullptr;
        std::atomic<int> calls{0};
        std::atomic<int>* sent = nullptr;
        void onSynchronize() override
        {
            ++calls;
            if (sent->load() == 4) ev_break(loop, EVBREAK_ONE);
        }
    } handler;
    std::atomic<int> sent{0};
    handler.loop = loop.loop();
    handler.sent = &sent;

    SyncWatcher watcher(&handler);
    watcher.start(loop.loop());
    Breaker breaker(loop.loop(), 10.0);

    std::vector<std::thread> threads;
    for (int i = 0; i < 4; ++i)
    {
        threads.emplace_back([&] {
            for (int n = 0; n < 100; ++n) watcher.synchronize();
            ++sent;
            watcher.synchronize();
        });
    }
    ev_run(loop.loop(), 0);
    for (auto& thread : threads) thread.join();

    EXPECT_EQ(sent.load(), 4);
    EXPECT_GE(handler.calls.load(), 1);
    // Many sends coalesce into far fewer wake-ups.
    EXPECT_LE(handler.calls.load(), 404);
    watcher.stop();
}

TEST(SyncWatcherTest, SendsNothingWhileStopped)
{
    ThreadLoop loop;
    struct Handler : SyncHandler
    {
        int calls = 0;
        void onSynchronize() override { ++calls; }
    } handler;
    SyncWatcher watcher(&handler);
    watcher.synchronize();

    watcher.start(loop.loop());
    watcher.stop();
    watcher.synchronize();
    watcher.start(loop.loop());

    Breaker breaker(loop.loop(), 0.05);
    ev_run(loop.loop(), 0);
    EXPECT_EQ(handler.calls, 0);
    watcher.stop();
}

TEST(SignalWatcherTest, DeliversTheSignalNumber)
{
    struct ev_loop* loop = MainLoop::instance()->loop();
    struct Handler : SignalHandler
    {
        struct ev_loop* loop = nullptr;
        int received = 0;
        void onSignal(int signum) override
        {
            received = signum;
            ev_break(loop, EVBREAK_ONE);
        }
    } handler;
    handler.loop = loop;

    SignalWatcher watcher(&handler, SIGUSR2);
    watcher.start(loop);
    Breaker breaker(loop, 10.0);
    raise(SIGUSR2);
    ev_run(loop, 0);
    EXPECT_EQ(handler.received, SIGUSR2);
}

TEST(IdleWatcherTest, RunsWhenTheLoopIsIdleUntilStopped)
{
    ThreadLoop loop;
    struct Handler : IdleHandler
    {
        IdleWatcher* watcher = nullptr;
        int calls = 0;
        void onIdle() override
        {
            if (++calls == 3) watcher->stop();
        }
    } handler;
    IdleWatcher watcher(&handler);
    handler.watcher = &watcher;
    watcher.start(loop.loop());

    ev_run(loop.loop(), 0);
    EXPECT_EQ(handler.calls, 3);
}
