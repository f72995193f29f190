#include "event/filehandler.h"
#include "event/filewatcher.h"
#include "event/inotify.h"
#include "event/loop.h"
#include "event/threadloop.h"
#include "event/timerhandler.h"
#include "event/timerwatcher.h"

#include <gtest/gtest.h>

#include <arpa/inet.h>
#include <fcntl.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <fstream>
#include <memory>
#include <stdexcept>
#include <string>
#include <vector>

using namespace Kestrava::Event;

namespace {

/// A temporary directory, removed with everything in it.
class TemporaryDirectory
{
public:
    TemporaryDirectory()
    {
        char pattern[] = "/tmp/filewatcher-test-XXXXXX";
        _path = mkdtemp(pattern);
    }
    ~TemporaryDirectory() { std::system(("rm -rf " + _path).c_str()); }

    std::string file(const std::string& name) const { return _path + "/" + name; }
    const std::string& path() const { return _path; }

private:
    std::string _path;
};

void append(const std::string& path, const std::string& text)
{
    std::ofstream(path, std::ios::app) << text;
}

/// Runs a loop for a short while: long enough to read queued events.
bool runBriefly(Loop& loop, double seconds = 0.1)
{
    struct Breaker : TimerHandler
    {
        struct ev_loop* loop = nullptr;
        bool fired = false;
        void onExpired() override
        {
            fired = true;
            ev_break(loop, EVBREAK_ONE);
        }
    } breaker;
    breaker.loop = loop.loop();
    TimerWatcher timer(&breaker, seconds, 0.0);
    timer.start(loop.loop());
    ev_run(loop.loop(), 0);
    return breaker.fired;
}

class Recorder : public FileHandler
{
public:
    void onModified(const std::string&) override { events.push_back("modified"); }
    void onDeleted(const std::string&) override { events.push_back("deleted"); }
    void onOpened(const std::string&) override { events.push_back("opened"); }
    void onClosed(const std::string&) override { events.push_back("closed"); }
    void onMoved(const std::string&) override { events.push_back("moved"); }
    void onMetadataChanged(const std::string&) override { events.push_back("metadata"); }

    bool saw(const std::string& event) const
    {
        for (auto& seen : events)
            if (seen == event) return true;
        return false;
    }

    std::vector<std::string> events;
};

constexpr uint32_t everything = FileWatcher::Modified | FileWatcher::Deleted | FileWatcher::Moved |
                                FileWatcher::MetadataChanged;

} // namespace

TEST(FileWatcherTest, ReportsAppendChmodRenameAndDelete)
{
    TemporaryDirectory directory;
    std::string path = directory.file("watched.log");
    append(path, "first\n");

    ThreadLoop loop;
    Recorder recorder;
    FileWatcher watcher(&recorder, path, everything);
    ASSERT_TRUE(watcher.start(loop.inotify()));

    append(path, "more\n");
    runBriefly(loop);
    EXPECT_EQ(recorder.events, std::vector<std::string>{"modified"});

    recorder.events.clear();
    ASSERT_EQ(chmod(path.c_str(), 0600), 0);
    runBriefly(loop);
    EXPECT_EQ(recorder.events, std::vector<std::string>{"metadata"});

    recorder.events.clear();
    std::string moved = directory.file("moved.log");
    ASSERT_EQ(rename(path.c_str(), moved.c_str()), 0);
    runBriefly(loop);
    EXPECT_EQ(recorder.events, std::vector<std::string>{"moved"});

    recorder.events.clear();
    ASSERT_EQ(unlink(moved.c_str()), 0);
    runBriefly(loop);
    EXPECT_TRUE(recorder.saw("deleted"));
}

TEST(FileWatcherTest, UnlinkingAnOpenFileIsAMetadataChange)
{
    TemporaryDirectory directory;
    std::string path = directory.file("open.log");
    append(path, "x");
    int fd = open(path.c_str(), O_RDONLY);
    ASSERT_GE(fd, 0);

    ThreadLoop loop;
    Recorder recorder;
    FileWatcher watcher(&recorder, path, everything);
    ASSERT_TRUE(watcher.start(loop.inotify()));
    ASSERT_EQ(unlink(path.c_str()), 0);
    runBriefly(loop);
    EXPECT_EQ(recorder.events, std::vector<std::string>{"metadata"});

    close(fd);
    runBriefly(loop);
    EXPECT_TRUE(recorder.saw("deleted"));
}

TEST(FileWatcherTest, TwoWatchersOfOneFileBothFire)
{
    TemporaryDirectory directory;
    std::string path = directory.file("shared.log");
    append(path, "x");

    ThreadLoop loop;
    Recorder moves, writes;
    FileWatcher moveWatcher(&moves, path, FileWatcher::Moved);
    FileWatcher writeWatcher(&writes, path, FileWatcher::Modified);
    ASSERT_TRUE(moveWatcher.start(loop.inotify()));
    ASSERT_TRUE(writeWatcher.start(loop.inotify()));
    EXPECT_EQ(moveWatcher.descriptor(), writeWatcher.descriptor());

    append(path, "y");
    runBriefly(loop);
    EXPECT_TRUE(moves.events.empty());
    EXPECT_EQ(writes.events, std::vector<std::string>{"modified"});

    // Stopping one leaves the other's events flowing.
    moveWatcher.stop();
    writes.events.clear();
    append(path, "z");
    runBriefly(loop);
    EXPECT_EQ(writes.events, std::vector<std::string>{"modified"});

    // And the stopped one's bits are no longer reported to anyone.
    std::string moved = directory.file("moved.log");
    ASSERT_EQ(rename(path.c_str(), moved.c_str()), 0);
    runBriefly(loop);
    EXPECT_TRUE(moves.events.empty());
}

TEST(FileWatcherTest, StepsOverRecordsThatCarryNames)
{
    TemporaryDirectory directory;
    std::string path = directory.file("inside-a-watched-directory.log");
    append(path, "x");

    ThreadLoop loop;
    Recorder forDirectory, forFile;
    FileWatcher directoryWatcher(&forDirectory, directory.path(), FileWatcher::Modified);
    FileWatcher fileWatcher(&forFile, path, FileWatcher::Modified);
    ASSERT_TRUE(directoryWatcher.start(loop.inotify()));
    ASSERT_TRUE(fileWatcher.start(loop.inotify()));

    // One write gives two records in one read: the directory's, with the
    // file's name, then the file's own.
    append(path, "y");
    append(path, "z");
    runBriefly(loop);
    EXPECT_TRUE(forDirectory.saw("modified"));
    EXPECT_TRUE(forFile.saw("modified"));
}

TEST(FileWatcherTest, ReaderAloneDoesNotKeepTheLoopRunning)
{
    TemporaryDirectory directory;
    std::string path = directory.file("keepalive.log");
    append(path, "x");

    ThreadLoop loop;
    auto inotify = loop.inotify();
    EXPECT_EQ(loop.inotify(), inotify);
    EXPECT_FALSE(ev_run(loop.loop(), 0));

    Recorder recorder;
    FileWatcher watcher(&recorder, path, FileWatcher::Modified);
    ASSERT_TRUE(watcher.start(inotify));
    EXPECT_TRUE(runBriefly(loop, 0.02)) << "a started watcher keeps ev_run going";

    watcher.stop();
    EXPECT_FALSE(ev_run(loop.loop(), 0));
}

TEST(FileWatcherTest, LoopMakesANewReaderAfterTheLastWatcherStops)
{
    TemporaryDirectory directory;
    std::string path = directory.file("reader.log");
    append(path, "x");

    ThreadLoop loop;
    Recorder recorder;
    FileWatcher watcher(&recorder, path, FileWatcher::Modified);
    std::weak_ptr<INotify> first;
    {
        auto inotify = loop.inotify();
        first = inotify;
        ASSERT_TRUE(watcher.start(inotify));
    }
    EXPECT_EQ(loop.inotify(), first.lock());

    watcher.stop();
    EXPECT_TRUE(first.expired());
    auto second = loop.inotify();
    ASSERT_NE(second, nullptr);
    ASSERT_TRUE(watcher.start(second));
    append(path, "y");
    runBriefly(loop);
    EXPECT_EQ(recorder.events, std::vector<std::string>{"modified"});
}

TEST(FileWatcherTest, UnreadablePathThrows)
{
    TemporaryDirectory directory;
    std::string path = directory.file("missing.log");
    Recorder recorder;
    try
    {
        FileWatcher watcher(&recorder, path, FileWatcher::Modified);
        FAIL() << "no exception";
    }
    catch (const std::runtime_error& error)
    {
        EXPECT_EQ(std::string(error.what()), "Cannot access file/directory for reading: " + path);
    }
}

TEST(FileWatcherTest, StartingOnAPathDeletedAfterConstructionFails)
{
    TemporaryDirectory directory;
    std::string path = directory.file("gone.log");
    append(path, "x");

    ThreadLoop loop;
    Recorder recorder;
    FileWatcher watcher(&recorder, path, FileWatcher::Modified);
    ASSERT_EQ(unlink(path.c_str()), 0);
    EXPECT_FALSE(watcher.start(loop.inotify()));
    EXPECT_FALSE(watcher.started());
    EXPECT_LT(watcher.descriptor(), 0);
    EXPECT_FALSE(ev_run(loop.loop(), 0));
}

TEST(FileWatcherTest, CallbackDestroyingTheWatcherEndsTheDispatch)
{
    TemporaryDirectory directory;
    std::string path = directory.file("destroyed.log");
    append(path, "x");

    struct Destroyer : Recorder
    {
        std::unique_ptr<FileWatcher> watcher;
        void onModified(const std::string& path) override
        {
            Recorder::onModified(path);
            watcher.reset();
        }
    } destroyer;
    destroyer.watcher = std::make_unique<FileWatcher>(&destroyer, path, everything);

    inotify_event event = {};
    event.mask = IN_MODIFY | IN_ATTRIB;
    destroyer.watcher->onReceived(&event);
    EXPECT_EQ(destroyer.events, std::vector<std::string>{"modified"});
}

TEST(FileWatcherTest, BothBitsOfOneRecordCallInOrder)
{
    TemporaryDirectory directory;
    std::string path = directory.file("order.log");
    append(path, "x");
    Recorder recorder;
    FileWatcher watcher(&recorder, path, everything);

    inotify_event event = {};
    event.mask = IN_ATTRIB | IN_MODIFY | IN_MOVE_SELF;
    watcher.onReceived(&event);
    EXPECT_EQ(recorder.events, (std::vector<std::string>{"modified", "moved", "metadata"}));

    recorder.events.clear();
    event.mask = IN_IGNORED;
    watcher.onReceived(&event);
    EXPECT_TRUE(recorder.events.empty());
}

TEST(FileWatcherTest, WatcherRestartedInsideItsCallbackFollowsTheNewFile)
{
    TemporaryDirectory directory;
    std::string path = directory.file("rotated.log");
    append(path, "x");

    ThreadLoop loop;
    struct Reopener : Recorder
    {
        FileWatcher* watcher = nullptr;
        Loop* loop = nullptr;
        void onMoved(const std::string& path) override
        {
            Recorder::onMoved(path);
            append(path, "");
            EXPECT_TRUE(watcher->start(loop->inotify()));
        }
    } reopener;
    FileWatcher watcher(&reopener, path, FileWatcher::Moved | FileWatcher::Modified);
    reopener.watcher = &watcher;
    reopener.loop = &loop;
    ASSERT_TRUE(watcher.start(loop.inotify()));

    ASSERT_EQ(rename(path.c_str(), directory.file("rotated.log.1").c_str()), 0);
    runBriefly(loop);
    ASSERT_EQ(reopener.events, std::vector<std::string>{"moved"});

    reopener.events.clear();
    append(directory.file("rotated.log.1"), "old file");
    append(path, "new file");
    runBriefly(loop);
    EXPECT_EQ(reopener.events, std::vector<std::string>{"modified"});
}

// A failing read must be reported without unwinding through libev (which
// would terminate the process). The inotify descriptor is swapped for a UDP
// socket with a pending error; the poll backend watches descriptor numbers.
TEST(FileWatcherTest, ReadFailureIsReportedWithoutThrowing)
{
    TemporaryDirectory directory;
    std::string path = directory.file("failing.log");
    append(path, "x");

    Loop loop(ev_loop_new(EVBACKEND_POLL));
    Recorder recorder;
    FileWatcher watcher(&recorder, path, FileWatcher::Modified);
    auto inotify = loop.inotify();
    ASSERT_TRUE(watcher.start(inotify));

    int udp = socket(AF_INET, SOCK_DGRAM, 0);
    ASSERT_GE(udp, 0);
    sockaddr_in address = {};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t length = sizeof address;
    int closed = socket(AF_INET, SOCK_DGRAM, 0);
    ASSERT_EQ(bind(closed, reinterpret_cast<sockaddr*>(&address), sizeof address), 0);
    ASSERT_EQ(getsockname(closed, reinterpret_cast<sockaddr*>(&address), &length), 0);
    close(closed);
    ASSERT_EQ(connect(udp, reinterpret_cast<sockaddr*>(&address), sizeof address), 0);
    ASSERT_EQ(send(udp, "x", 1, 0), 1);
    usleep(10000);
    ASSERT_EQ(dup2(udp, inotify->fd()), inotify->fd());
    close(udp);

    testing::internal::CaptureStderr();
    runBriefly(loop, 0.1);
    std::string output = testing::internal::GetCapturedStderr();
    EXPECT_NE(output.find("Could not read from inotify buffer!"), std::string::npos) << output;
    EXPECT_TRUE(recorder.events.empty());
    watcher.stop();
}
