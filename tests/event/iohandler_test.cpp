#include "event/iohandler.h"
#include "event/iowatcher.h"
#include "event/threadloop.h"

#include <gtest/gtest.h>

#include <unistd.h>

#include <string>

using namespace Kestrava::Event;

namespace {

class Recorder : public IoHandler
{
public:
    explicit Recorder(std::string* log, bool destroyOnWrite = false)
        : _log(log), _destroyOnWrite(destroyOnWrite)
    {
    }

    void onReadable(int fd) override { *_log += "r" + std::to_string(fd); }

    void onWritable(int fd) override
    {
        *_log += "w" + std::to_string(fd);
        if (_destroyOnWrite) delete this;
    }

private:
    std::string* _log;
    bool _destroyOnWrite;
};

class Pipe
{
public:
    Pipe() { EXPECT_EQ(pipe(_fds), 0); }
    ~Pipe()
    {
        close(_fds[0]);
        close(_fds[1]);
    }
    int reader() const { return _fds[0]; }
    int writer() const { return _fds[1]; }

private:
    int _fds[2];
};

} // namespace

TEST(IoHandlerTest, DispatchesSingleEvents)
{
    std::string log;
    Recorder recorder(&log);
    recorder.onActive(7, EV_READ);
    recorder.onActive(8, EV_WRITE);
    recorder.onActive(9, 0);
    EXPECT_EQ(log, "r7w8");
}

TEST(IoHandlerTest, ServesWritingBeforeReading)
{
    std::string log;
    Recorder recorder(&log);
    recorder.onActive(5, EV_READ | EV_WRITE);
    EXPECT_EQ(log, "w5r5");
}

TEST(IoHandlerTest, SkipsReadingWhenWritingDestroyedTheHandler)
{
    std::string log;
    auto recorder = new Recorder(&log, true);
    recorder->onActive(3, EV_READ | EV_WRITE);
    EXPECT_EQ(log, "w3");
}

TEST(IoWatcherTest, CallsTheHandlerForAReadyDescriptor)
{
    ThreadLoop loop;
    Pipe pipe;
    std::string log;

    struct Reader : IoHandler
    {
        IoWatcher* watcher = nullptr;
        std::string* log = nullptr;
        void onReadable(int fd) override
        {
            char byte;
            ASSERT_EQ(read(fd, &byte, 1), 1);
            *log += byte;
            watcher->stop();
        }
    } reader;
    IoWatcher watcher(&reader, pipe.reader(), EV_READ);
    reader.watcher = &watcher;
    reader.log = &log;

    watcher.start(loop.loop());
    ASSERT_EQ(write(pipe.writer(), "x", 1), 1);
    ev_run(loop.loop(), 0);
    EXPECT_EQ(log, "x");
    EXPECT_FALSE(watcher.started());
}

TEST(IoWatcherTest, SetKeepsAStartedWatcherStarted)
{
    ThreadLoop loop;
    Pipe pipe;
    std::string log;
    Recorder recorder(&log);
    IoWatcher watcher(&recorder, pipe.reader(), EV_READ);
    EXPECT_EQ(watcher.events(), EV_READ);

    watcher.start(loop.loop());
    watcher.set(pipe.writer(), EV_READ | EV_WRITE);
    EXPECT_TRUE(watcher.started());
    EXPECT_EQ(watcher.fd(), pipe.writer());
    EXPECT_EQ(watcher.events(), EV_READ | EV_WRITE);

    // The write end of an empty pipe is writable at once.
    ev_run(loop.loop(), EVRUN_ONCE);
    EXPECT_EQ(log, "w" + std::to_string(pipe.writer()));
    watcher.stop();
}
