#include "toolbox/threadproperties.h"

#include <gtest/gtest.h>

#include <sys/syscall.h>
#include <unistd.h>

#include <fstream>
#include <future>
#include <string>
#include <thread>

using Kestrava::Toolbox::ThreadProperties;

namespace {

/// A thread that waits until it is told to end, and knows its kernel id.
class SleepingThread
{
public:
    SleepingThread()
        : _thread([this] {
              _id.set_value(static_cast<pid_t>(syscall(SYS_gettid)));
              _end.get_future().wait();
          })
    {
        _tid = _id.get_future().get();
    }

    ~SleepingThread()
    {
        _end.set_value();
        _thread.join();
    }

    std::thread& thread() { return _thread; }

    /// The name the kernel shows for the thread.
    std::string name() const
    {
        std::ifstream comm("/proc/self/task/" + std::to_string(_tid) + "/comm");
        std::string line;
        std::getline(comm, line);
        return line;
    }

private:
    std::promise<pid_t> _id;
    std::promise<void> _end;
    std::thread _thread;
    pid_t _tid = 0;
};

} // namespace

TEST(ThreadPropertiesTest, NamesTheThreadAsTheKernelShowsIt)
{
    SleepingThread sleeper;
    ThreadProperties properties(sleeper.thread());
    EXPECT_TRUE(properties.setName("worker"));
    EXPECT_EQ("worker", sleeper.name());

    EXPECT_TRUE(properties.setName("fifteen-bytes-x"));
    EXPECT_EQ("fifteen-bytes-x", sleeper.name());
}

TEST(ThreadPropertiesTest, RefusesTooLongNamesAndKeepsTheOldOne)
{
    SleepingThread sleeper;
    ThreadProperties properties(sleeper.thread());
    ASSERT_TRUE(properties.setName("before"));
    EXPECT_FALSE(properties.setName("sixteen-bytes-xy"));
    EXPECT_FALSE(properties.setName(std::string(4096, 'n').c_str()));
    EXPECT_FALSE(properties.setName(nullptr));
    EXPECT_EQ("before", sleeper.name());
}

TEST(ThreadPropertiesTest, ThreadThatIsNotRunningCannotBeNamed)
{
    std::thread empty;
    EXPECT_FALSE(ThreadProperties(empty).setName("worker"));

    std::thread joined([] {});
    joined.join();
    EXPECT_FALSE(ThreadProperties(joined).setName("worker"));
}
