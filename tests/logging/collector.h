#pragma once

#include "logging/listener.h"
#include "logging/log.h"

#include <functional>
#include <mutex>
#include <string>
#include <utility>
#include <vector>

/// A listener that keeps every line it is given; read it after a flush.
class Collector : public Kestrava::Logging::Listener
{
public:
    using Line = std::pair<Kestrava::Logging::priority, std::string>;

    explicit Collector(Kestrava::Logging::Log& log) : Listener(log, nullptr) { add(); }
    ~Collector() override { remove(); }

    /// Registers the collector once more.
    void addAgain() { add(); }

    /// Runs on the writer thread for every line, before it is kept.
    void onWrite(std::function<void(const std::string&)> action) { _action = std::move(action); }

    std::vector<Line> lines() const
    {
        std::lock_guard<std::mutex> lock(_mutex);
        return _lines;
    }

    std::vector<std::string> texts() const
    {
        std::vector<std::string> result;
        for (const auto& line : lines()) result.push_back(line.second);
        return result;
    }

private:
    void write(const Kestrava::Logging::priority& level, const std::string& text) override
    {
        if (_action) _action(text);
        std::lock_guard<std::mutex> lock(_mutex);
        _lines.emplace_back(level, text);
    }

    mutable std::mutex _mutex;
    std::vector<Line> _lines;
    std::function<void(const std::string&)> _action;
};
