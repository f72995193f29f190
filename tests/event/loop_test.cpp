#include "event/loop.h"
#include "event/mainloop.h"
#include "event/threadloop.h"

#include <gtest/gtest.h>

using namespace Kestrava::Event;

TEST(LoopTest, MainLoopIsOneObjectOverTheDefaultLoop)
{
    MainLoop* first = MainLoop::instance();
    MainLoop* second = MainLoop::instance();
    EXPECT_EQ(first, second);
    EXPECT_EQ(first->loop(), ev_default_loop(0));
}

TEST(LoopTest, ThreadLoopsArePrivate)
{
    // Each owns and destroys its own loop; LeakSanitizer catches a loop
    // that is never destroyed.
    ThreadLoop one;
    ThreadLoop two;
    ASSERT_NE(one.loop(), nullptr);
    EXPECT_NE(one.loop(), two.loop());
    EXPECT_NE(one.loop(), ev_default_loop(0));

    // With nothing to watch, running returns at once.
    EXPECT_FALSE(ev_run(one.loop(), 0));
}
