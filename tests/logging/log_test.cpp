#include "logging/log.h"
#include "logging/proxy.h"

#include "tests/logging/collector.h"

#include <gtest/gtest.h>

#include <dirent.h>

#include <condition_variable>
#include <fstream>
#include <memory>
#include <mutex>
#include <stdexcept>
#include <string>
#include <thread>
#include <vector>

using Kestrava::Logging::critical;
using Kestrava::Logging::info;
using Kestrava::Logging::Log;
using Kestrava::Logging::priority;
using Kestrava::Logging::Proxy;
using Kestrava::Logging::warning;

namespace {

using Texts = std::vector<std::string>;

/// The threads of this process that the kernel shows under a name.
int threadsNamed(const std::string& name)
{
    int count = 0;
    DIR* tasks = opendir("/proc/self/task");
    if (tasks == nullptr) return -1;
    while (dirent* entry = readdir(tasks))
    {
        if (entry->d_name[0] == '.') continue;
        std::ifstream comm(std::string("/proc/self/task/") + entry->d_name + "/comm");
        std::string line;
        if (std::getline(comm, line) && line == name) ++count;
    }
    closedir(tasks);
    return count;
}

/// Holds the writer thread until released, so that the lines queued
/// meanwhile are taken in one batch.
class WriterGate
{
public:
    explicit WriterGate(Log& log)
    {
        log.execute(
            [this] {
                std::unique_lock<std::mutex> lock(_mutex);
                _entered = true;
                _condition.notify_all();
                _condition.wait(lock, [this] { return _open; });
            },
            false);

        std::unique_lock<std::mutex> lock(_mutex);
        _condition.wait(lock, [this] { return _entered; });
    }

    void open()
    {
        std::lock_guard<std::mutex> lock(_mutex);
        _open = true;
        _condition.notify_all();
    }

private:
    std::mutex _mutex;
    std::condition_variable _condition;
    bool _entered = false;
    bool _open = false;
};

} // namespace

TEST(ProxyTest, HandsOverAtAManipulatorWithoutANewline)
{
    Log log(info, nullptr);
    Collector collector(log);

    Proxy(log, warning) << "a" << 1 << ' ' << 2.5 << std::endl;
    Proxy(log, critical) << "destroyed " << std::string("without");
    Proxy(log, info) << "a" << std::endl << "b";
    Proxy(log, info) << "c" << std::endl << "d" << std::flush;
    {
        Proxy empty(log, warning);
    }
    log.flush();

    std::vector<Collector::Line> expected{
        {warning, "a1 2.5"}, {critical, "destroyed without"}, {info, "a"}, {info, "c"}, {info, "d"},
        {warning, ""},
    };
    EXPECT_EQ(expected, collector.lines());
}

TEST(LogTest, KeepsEachProducersOrderAcrossThreads)
{
    Log log(info, nullptr);
    Collector collector(log);

    const int threads = 8;
    const int lines = 2000;
    std::vector<std::thread> producers;
    for (int thread = 0; thread < threads; ++thread)
    {
        producers.emplace_back([&log, thread] {
            for (int line = 0; line < lines; ++line) Proxy(log, info) << thread << ':' << line;
        });
    }
    for (auto& producer : producers) producer.join();
    log.flush();

    std::vector<int> next(threads, 0);
    auto received = collector.texts();
    ASSERT_EQ(static_cast<size_t>(threads * lines), received.size());
    for (const auto& text : received)
    {
        int thread = std::stoi(text.substr(0, text.find(':')));
        int line = std::stoi(text.substr(text.find(':') + 1));
        ASSERT_EQ(next[thread], line) << "thread " << thread;
        ++next[thread];
    }
}

TEST(LogTest, AddAndRemoveTakeEffectInQueueOrder)
{
    Log log(info, nullptr);
    Proxy(log, info) << "before add";
    auto collector = std::make_unique<Collector>(log);
    Proxy(log, info) << "after add";
    log.flush();
    EXPECT_EQ(Texts{"after add"}, collector->texts());

    Proxy(log, info) << "before remove";
    Collector* raw = collector.get();
    log.remove(raw);
    Proxy(log, info) << "after remove";
    log.flush();
    EXPECT_EQ((Texts{"after add", "before remove"}), collector->texts());
}

TEST(LogTest, ListenerAddedTwiceHearsTwiceAndOneRemoveTakesBoth)
{
    Log log(info, nullptr);
    Collector collector(log);
    collector.addAgain();
    Proxy(log, info) << "twice";
    log.flush();
    EXPECT_EQ((Texts{"twice", "twice"}), collector.texts());

    log.remove(&collector);
    Proxy(log, info) << "never";
    log.flush();
    EXPECT_EQ((Texts{"twice", "twice"}), collector.texts());
}

TEST(LogTest, FlushReturnsAfterEveryEarlierLine)
{
    Log log(info, nullptr);
    Collector collector(log);
    for (int round = 1; round <= 50; ++round)
    {
        for (int line = 0; line < 20; ++line) Proxy(log, info) << line;
        log.flush();
        ASSERT_EQ(static_cast<size_t>(round * 20), collector.lines().size());
    }
}

TEST(LogTest, LinesQueuedWhileWritingDoNotKeepFlushWaiting)
{
    // Producers that never pause, here a listener that queues a line for
    // every line it gets, must not hold the instructions up for good.
    Log log(info, nullptr);
    Collector collector(log);
    collector.onWrite([&](const std::string&) { Proxy(log, info) << "more"; });
    Proxy(log, info) << "start";
    log.flush();
    EXPECT_EQ("start", collector.texts().front());
}

TEST(LogTest, WorkFromInsideAListenerRunsAtOnceWithoutDisturbingTheOrder)
{
    Log log(info, nullptr);
    Collector collector(log);
    bool ran = false;
    collector.onWrite([&](const std::string& text) {
        if (text != "first") return;
        log.execute([&] { ran = true; }, true);
        Proxy(log, info) << "nested";
        log.flush();
    });

    WriterGate gate(log);
    Proxy(log, info) << "first";
    Proxy(log, info) << "second";
    gate.open();
    log.flush();

    EXPECT_TRUE(ran);
    EXPECT_EQ((Texts{"first", "second", "nested"}), collector.texts());
}

TEST(LogTest, LinesANestedFlushWaitsForAreWrittenBeforeTheOuterFlushReturns)
{
    Log log(info, nullptr);
    Collector collector(log);
    collector.onWrite(
        [&](const std::string& text)
        {
            if (text != "first") return;
            Proxy(log, info) << "nested";
            log.flush();
        });

    // All on the writer thread, so no wake-up order decides the outcome.
    Texts afterFlush;
    log.execute(
        [&]
        {
            Proxy(log, info) << "first";
            Proxy(log, info) << "second";
            log.flush();
            afterFlush = collector.texts();
        },
        true);

    EXPECT_EQ((Texts{"first", "second", "nested"}), afterFlush);
}

TEST(LogTest, ExecuteRunsOnTheWriterThreadAndCarriesFailuresBack)
{
    Log log(info, nullptr);
    std::thread::id writer;
    log.execute([&] { writer = std::this_thread::get_id(); }, true);
    EXPECT_NE(std::this_thread::get_id(), writer);

    EXPECT_THROW(log.execute([] { throw std::runtime_error("refused"); }, true),
                 std::runtime_error);
    EXPECT_THROW(log.execute(std::function<void()>(), true), std::bad_function_call);

    Collector collector(log);
    Proxy(log, info) << "still running";
    log.flush();
    EXPECT_EQ(Texts{"still running"}, collector.texts());
}

TEST(LogTest, FailingListenerDoesNotStopTheOthers)
{
    Log log(info, nullptr);
    Collector failing(log);
    Collector healthy(log);
    failing.onWrite([](const std::string& text) {
        if (text == "boom") throw std::runtime_error("listener broke");
    });

    testing::internal::CaptureStderr();
    Proxy(log, info) << "boom";
    Proxy(log, info) << "after";
    log.flush();
    std::string told = testing::internal::GetCapturedStderr();

    EXPECT_NE(std::string::npos, told.find("listener broke")) << told;
    EXPECT_EQ(Texts{"after"}, failing.texts());
    EXPECT_EQ((Texts{"boom", "after"}), healthy.texts());
}

TEST(LogTest, WriterThreadIsNamedLogAndEndsWithTheLog)
{
    int before = threadsNamed("log");
    ASSERT_GE(before, 0);
    {
        Log log(info, nullptr);
        EXPECT_EQ(before + 1, threadsNamed("log"));
    }
    EXPECT_EQ(before, threadsNamed("log"));
}

TEST(LogTest, DestroyingAForwardingLogWritesItsQueueAndReturns)
{
    Log target(info, nullptr);
    Collector collector(target);
    {
        auto source = std::make_unique<Log>(info, nullptr);
        source->forwardto(target, "source: ");
        for (int line = 0; line < 100; ++line) Proxy(*source, warning) << line;
        source.reset();
    }
    target.flush();

    auto lines = collector.lines();
    ASSERT_EQ(100u, lines.size());
    EXPECT_EQ((Collector::Line{warning, "source: 0"}), lines.front());
    EXPECT_EQ((Collector::Line{warning, "source: 99"}), lines.back());
}

TEST(LogTest, ForwardPassesOnlyLinesAsSevereAsTheTarget)
{
    Log target(warning, nullptr);
    EXPECT_EQ(warning, target.level());
    Collector collector(target);
    Log source(info, nullptr);
    source.forwardto(target, "[child] ");
    source.forwardto(target, nullptr);

    Proxy(source, info) << "dropped";
    Proxy(source, warning) << "kept";
    Proxy(source, critical) << "urgent";
    Proxy(source, static_cast<priority>(7)) << "beyond";
    source.flush();
    target.flush();

    std::vector<Collector::Line> expected{
        {warning, "[child] kept"},
        {warning, "kept"},
        {critical, "[child] urgent"},
        {critical, "urgent"},
        {static_cast<priority>(7), "[child] beyond"},
        {static_cast<priority>(7), "beyond"},
    };
    EXPECT_EQ(expected, collector.lines());
}

TEST(LogTest, PreprocessorMayChangeDropOrMultiplyLines)
{
    class Doubler : public Kestrava::Logging::Preprocessor
    {
    public:
        void preprocess(Kestrava::Logging::Writer* writer, const priority& level,
                        const std::string& text) override
        {
            if (text == "drop") return;
            writer->write(level, text);
            writer->write(critical, text + " again");
        }
    } doubler;

    Log log(info, &doubler);
    Collector collector(log);
    Proxy(log, info) << "drop";
    Proxy(log, info) << "keep";
    log.flush();
    EXPECT_EQ((std::vector<Collector::Line>{{info, "keep"}, {critical, "keep again"}}),
              collector.lines());
}
