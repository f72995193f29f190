#include "event/monitor.h"
#include "event/watchable.h"

#include <gtest/gtest.h>

#include <memory>

using namespace Kestrava::Event;

TEST(MonitorTest, ReportsAnObjectDestroyedDuringTheGuardedCall)
{
    auto object = std::make_unique<Watchable>();
    Monitor monitor(object.get());
    EXPECT_TRUE(monitor.valid());
    object.reset();
    EXPECT_FALSE(monitor.valid());
    // The monitor's destructor must not touch the freed object (ASan).
}

TEST(MonitorTest, NestedMonitorsAreAllInvalidated)
{
    auto object = std::make_unique<Watchable>();
    Monitor outer(object.get());
    {
        Monitor inner(object.get());
        EXPECT_TRUE(inner.valid());
    }
    // The inner one left; the outer one stays registered and valid.
    EXPECT_TRUE(outer.valid());

    auto second = std::make_unique<Monitor>(object.get());
    auto third = std::make_unique<Monitor>(object.get());
    object.reset();
    EXPECT_FALSE(outer.valid());
    EXPECT_FALSE(second->valid());
    EXPECT_FALSE(third->valid());
}

TEST(MonitorTest, RemovingAnUnknownMonitorChangesNothing)
{
    Watchable object;
    Monitor placed(&object);
    Watchable other;
    Monitor stranger(&other);
    object.removeMonitor(&stranger);

    auto doomed = std::make_unique<Watchable>();
    Monitor watching(doomed.get());
    doomed->removeMonitor(&stranger);
    doomed.reset();
    EXPECT_FALSE(watching.valid());
    EXPECT_TRUE(stranger.valid());
}

TEST(MonitorTest, CopiesDoNotInheritMonitors)
{
    auto original = std::make_unique<Watchable>();
    Monitor monitor(original.get());
    auto copy = std::make_unique<Watchable>(*original);
    copy.reset();
    EXPECT_TRUE(monitor.valid());
    original.reset();
    EXPECT_FALSE(monitor.valid());
}
