#pragma once

#include "event/threadloop.h"
#include "event/timerhandler.h"
#include "event/timerwatcher.h"

#include <gtest/gtest.h>

#include <chrono>
#include <functional>

namespace Kestrava
{
namespace Network
{
namespace Test
{

/// A private event loop for one test, run until a condition holds.
class LoopFixture : public testing::Test, private Event::TimerHandler
{
protected:
    /// Runs the loop until `done` or `seconds` have passed; true when done.
    bool runUntil(const std::function<bool()>& done, double seconds = 10.0)
    {
        // A ticking timer wakes the loop to look at the condition again.
        Event::TimerWatcher tick(this, 0.02, 0.02);
        tick.start(_loop.loop());
        auto deadline = std::chrono::steady_clock::now() + std::chrono::duration<double>(seconds);
        while (!done() && std::chrono::steady_clock::now() < deadline)
            ev_run(_loop.loop(), EVRUN_ONCE);
        return done();
    }

    /// Runs the loop for `seconds`.
    void runFor(double seconds)
    {
        runUntil([] { return false; }, seconds);
    }

    Event::Loop* loop() { return &_loop; }

private:
    void onExpired() override {}

    Event::ThreadLoop _loop;
};

} // namespace Test
} // namespace Network
} // namespace Kestrava
