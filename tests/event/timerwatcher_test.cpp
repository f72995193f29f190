#include "event/threadloop.h"
#include "event/timerhandler.h"
#include "event/timerwatcher.h"

#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

using namespace Kestrava::Event;

namespace {

class Counter : public TimerHandler
{
public:
    int expiries = 0;
    bool startedInside = true;
    int rearmTimes = 0;
    int stopAfter = 0;

    void onExpired(TimerWatcher* watcher) override
    {
        ++expiries;
        startedInside = watcher->started();
        if (rearmTimes > 0)
        {
            --rearmTimes;
            watcher->stop(); // counts as stopped already: must not reach libev
            watcher->start(_loop);
        }
        if (stopAfter > 0 && expiries == stopAfter) watcher->stop();
    }

    struct ev_loop* _loop = nullptr;
};

} // namespace

TEST(TimerWatcherTest, OneShotFiresOnceAndReadsStoppedInside)
{
    ThreadLoop loop;
    Counter counter;
    TimerWatcher timer(&counter, 0.001, 0.0);
    timer.start(loop.loop());
    EXPECT_TRUE(timer.started());

    ev_run(loop.loop(), 0);
    EXPECT_EQ(counter.expiries, 1);
    EXPECT_FALSE(counter.startedInside);
    EXPECT_FALSE(timer.started());
}

TEST(TimerWatcherTest, StartInsideTheHandlerArmsAgain)
{
    ThreadLoop loop;
    Counter counter;
    counter._loop = loop.loop();
    counter.rearmTimes = 2;
    TimerWatcher timer(&counter, 0.001, 0.0);
    timer.start(loop.loop());

    ev_run(loop.loop(), 0);
    EXPECT_EQ(counter.expiries, 3);
    EXPECT_FALSE(timer.started());
}

TEST(TimerWatcherTest, RepeatingTimerStaysStarted)
{
    ThreadLoop loop;
    Counter counter;
    counter.stopAfter = 3;
    TimerWatcher timer(&counter, 0.001, 0.001);
    timer.start(loop.loop());

    // Runs until the handler stops it after the third expiry.
    ev_run(loop.loop(), 0);
    EXPECT_EQ(counter.expiries, 3);
    EXPECT_TRUE(counter.startedInside);
    EXPECT_FALSE(timer.started());
}

TEST(TimerWatcherTest, StopIsHarmlessWhenNotStarted)
{
    Counter counter;
    TimerWatcher timer(&counter, 1.0, 0.0);
    timer.stop();
    timer.stop();
    EXPECT_FALSE(timer.started());
    EXPECT_EQ(timer.remaining(), 0.0);
}

TEST(TimerWatcherTest, PlainOnExpiredOverrideIsCalled)
{
    struct Plain : TimerHandler
    {
        int calls = 0;
        void onExpired() override { ++calls; }
    } plain;

    ThreadLoop loop;
    TimerWatcher timer(&plain, 0.001, 0.0);
    timer.start(loop.loop());
    ev_run(loop.loop(), 0);
    EXPECT_EQ(plain.calls, 1);
}

TEST(TimerWatcherTest, RemainingTimeOfARunningTimer)
{
    ThreadLoop loop;
    Counter counter;
    TimerWatcher timer(&counter, 30.0, 0.0);
    timer.start(loop.loop());
    EXPECT_GT(timer.remaining(), 29.0);
    EXPECT_LE(timer.remaining(), 30.0 + 1e-6);

    // Setting new delays keeps it started, with the new remainder.
    timer.set(10.0, 0.0);
    EXPECT_TRUE(timer.started());
    EXPECT_LE(timer.remaining(), 10.0 + 1e-6);
    timer.stop();
}

namespace
{

/// Notes in a shared list which timer fired.
class Recorder : public TimerHandler
{
public:
    Recorder(std::vector<std::string>& order, std::string name)
        : _order(order), _name(std::move(name))
    {
    }

    void onExpired() override { _order.push_back(_name); }

private:
    std::vector<std::string>& _order;
    std::string _name;
};

/// Runs a priority -1 and a priority 0 timer due at the same loop time,
/// started in the given order, and tells the order in which they fired. The
/// priority is set before the start or, to a started timer, after it.
std::vector<std::string> firingOrder(bool lowStartsFirst, bool prioritiseStarted)
{
    ThreadLoop loop;
    std::vector<std::string> order;
    Recorder lowHandler(order, "low"), normalHandler(order, "normal");
    TimerWatcher low(&lowHandler, 0.001, 0.0), normal(&normalHandler, 0.001, 0.0);
    if (!prioritiseStarted) low.priority(-1);
    if (lowStartsFirst) low.start(loop.loop());
    normal.start(loop.loop());
    if (!lowStartsFirst) low.start(loop.loop());
    if (prioritiseStarted) low.priority(-1);
    EXPECT_TRUE(low.started());
    ev_run(loop.loop(), 0);
    return order;
}

} // namespace

TEST(TimerWatcherTest, TimersDueTogetherRunInPriorityOrder)
{
    const std::vector<std::string> expected{"normal", "low"};
    for (bool lowStartsFirst : {true, false})
    {
        for (bool prioritiseStarted : {false, true})
        {
            EXPECT_EQ(expected, firingOrder(lowStartsFirst, prioritiseStarted))
                << "low started first: " << lowStartsFirst
                << ", priority set when started: " << prioritiseStarted;
        }
    }
}
