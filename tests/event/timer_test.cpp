#include "event/threadloop.h"
#include "event/timer.h"
#include "event/timerhandler.h"
#include "event/timerwatcher.h"

#include <gtest/gtest.h>

#include <memory>
#include <vector>

using namespace Kestrava::Event;

namespace {

class Recorder : public TimerHandler
{
public:
    explicit Recorder(Loop* loop) : _loop(loop) {}

    void onExpired(TimerWatcher* watcher) override
    {
        EXPECT_NE(watcher, nullptr);
        times.push_back(ev_now(_loop->loop()));
    }

    std::vector<double> times;

private:
    Loop* _loop;
};

} // namespace

// The handler is due at the latest expiry set, however the watcher was armed
// before; these are the 60 s / set(100) and set(1) cases, scaled down.
TEST(TimerTest, LaterExpiryFiresOnceAtTheNewTimeOnly)
{
    ThreadLoop loop;
    Recorder recorder(&loop);
    double start = ev_now(loop.loop());
    Timer timer(&loop, &recorder, 0.2);
    timer.set(0.4);

    ev_run(loop.loop(), 0);
    ASSERT_EQ(recorder.times.size(), 1u);
    EXPECT_GE(recorder.times[0] - start, 0.4 - 0.001);
}

TEST(TimerTest, EarlierExpiryRearmsAtOnce)
{
    ThreadLoop loop;
    Recorder recorder(&loop);
    double start = ev_now(loop.loop());
    Timer timer(&loop, &recorder, 60.0);
    timer.set(0.02);

    // Returns once the handler ran: nothing else is armed afterwards.
    ev_run(loop.loop(), 0);
    ASSERT_EQ(recorder.times.size(), 1u);
    EXPECT_GE(recorder.times[0] - start, 0.02 - 0.001);
    EXPECT_LT(recorder.times[0] - start, 30.0);
}

TEST(TimerTest, OnlyTheLastOfRepeatedLaterExpiriesCounts)
{
    ThreadLoop loop;
    Recorder recorder(&loop);
    double start = ev_now(loop.loop());
    Timer timer(&loop, &recorder, 0.05);
    timer.set(0.1);
    timer.set(0.15);
    timer.set(0.2);

    ev_run(loop.loop(), 0);
    ASSERT_EQ(recorder.times.size(), 1u);
    EXPECT_GE(recorder.times[0] - start, 0.2 - 0.001);
}

TEST(TimerTest, ConstructionArmingCallsNoHandler)
{
    ThreadLoop loop;
    Recorder recorder(&loop);
    Timer timer(&loop, &recorder, 0.01);

    // The watcher fires once, finds no expiry and is left unarmed, so the
    // loop runs out of watchers.
    ev_run(loop.loop(), 0);
    EXPECT_TRUE(recorder.times.empty());

    // Setting an expiry afterwards arms it again.
    timer.set(0.01);
    ev_run(loop.loop(), 0);
    EXPECT_EQ(recorder.times.size(), 1u);
}

TEST(TimerTest, WithoutALoopItNeverFires)
{
    ThreadLoop loop;
    Recorder recorder(&loop);
    Timer timer(nullptr, &recorder, 0.01);
    timer.set(0.01);
    EXPECT_FALSE(ev_run(loop.loop(), 0));
    EXPECT_TRUE(recorder.times.empty());
}

TEST(TimerTest, DestroyingAnArmedTimerStopsItsWatcher)
{
    ThreadLoop loop;
    Recorder recorder(&loop);
    auto timer = std::make_unique<Timer>(&loop, &recorder, 0.01);
    timer->set(0.01);
    timer.reset();

    // A watcher left in libev would fire into freed memory here.
    EXPECT_FALSE(ev_run(loop.loop(), 0));
    EXPECT_TRUE(recorder.times.empty());
}
