#pragma once

#include "browse/context.h"
#include "browse/url.h"
#include "dns/context.h"
#include "dns/loop/libev.h"
#include "event/threadloop.h"
#include "tests/browse/endpoint.h"
#include "tests/browse/recorder.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <functional>
#include <memory>
#include <string>
#include <utility>
#include <vector>

namespace Testing
{

/// A client context on a private loop with a resolver of the system's
/// settings (the namespace's), and helpers to run requests on it.
class ContextTest : public testing::Test
{
public:
    using Events = std::vector<std::string>;
    /// The reports of a request answered on a fresh connection.
    static const Events answered;

protected:
    Kestrava::Browse::Url url(const std::string& text)
    {
        std::string expanded = text;
        for (auto [name, port] :
             {std::pair{"PORT", Endpoint::plain()}, std::pair{"SELF", Endpoint::selfSigned()},
              std::pair{"CA", Endpoint::caSigned()}})
        {
            size_t at = expanded.find(std::string(":") + name);
            if (at != std::string::npos)
                expanded.replace(at + 1, strlen(name), std::to_string(port));
        }
        return Kestrava::Browse::Url(expanded.data(), expanded.size());
    }
    /// Recorders for `count` requests of `text`, asked for at once and
    /// never answered from inside connect().
    std::vector<std::unique_ptr<Recorder>> ask(const std::string& text, size_t count)
    {
        std::vector<std::unique_ptr<Recorder>> recorders;
        for (size_t i = 0; i < count; ++i)
        {
            recorders.push_back(std::make_unique<Recorder>());
            recorders.back()->bare = false;
            Kestrava::Browse::Url target = url(text);
            recorders.back()->path = target.path() != nullptr ? target.path() : "";
            context->connect(target, recorders.back().get());
            EXPECT_TRUE(recorders.back()->events.empty());
        }
        return recorders;
    }
    /// The same, run until all are finished.
    std::vector<std::unique_ptr<Recorder>> request(const std::string& text, size_t count = 1)
    {
        auto recorders = ask(text, count);
        EXPECT_TRUE(finish(recorders));
        return recorders;
    }
    bool finish(const std::vector<std::unique_ptr<Recorder>>& recorders)
    {
        return Testing::runUntil(loop,
                                 [&]
                                 {
                                     return std::all_of(recorders.begin(), recorders.end(),
                                                        [](const auto& recorder)
                                                        { return recorder->finished; });
                                 });
    }
    /// Destroys the context and runs `check` at once and again after the
    /// loop ran a while (nothing of the context may report late, nor touch
    /// what it freed); then a new context takes its place.
    void destroyContext(const std::function<void()>& check)
    {
        context.reset();
        check();
        Testing::runUntil(
            loop, [] { return false; }, 0.3);
        check();
        context = std::make_unique<Kestrava::Browse::Context>(&loop, DNS::Ip("0.0.0.0"), dns);
    }
    void TearDown() override
    {
        // The context outlives what runs on it.
        EXPECT_TRUE(Testing::runUntil(loop, [&] { return context->live() == 0; }));
    }

    Kestrava::Event::ThreadLoop loop;
    DNS::LibEv dnsLoop{loop.loop(), true};
    DNS::Context dns{&dnsLoop, true};
    std::unique_ptr<Kestrava::Browse::Context> context =
        std::make_unique<Kestrava::Browse::Context>(&loop, DNS::Ip("0.0.0.0"), dns);
};

inline const ContextTest::Events ContextTest::answered = {"available", "head 200", "completed"};

} // namespace Testing
