#pragma once

#include "filter/result.h"

#include <cstddef>
#include <string>

namespace Kestrava
{
namespace Filter
{
namespace detail
{

/**
 * The writer of one call of a stage: keeps the order of what the stage
 * produces while passing as few, as large, chunks on as it can. Input bytes
 * passed on unchanged gather into runs that go out with the caller's flag;
 * bytes the stage makes gather in a scratch string that goes out as not
 * final; literals of the caller's go out at once as final.
 */
class Output
{
public:
    Output(Result* next, bool final) : _next(next), _final(final) {}

    Output(const Output&) = delete;
    Output& operator=(const Output&) = delete;

    /// Input bytes passed on unchanged.
    void keep(const char* data, size_t size)
    {
        if (size == 0) return;
        if (data != _runEnd)
        {
            writeMade();
            writeRun();
            _runStart = data;
        }
        _runEnd = data + size;
    }

    /// Bytes of the stage's own (copied before the call returns).
    void add(const char* data, size_t size)
    {
        writeRun();
        _made.append(data, size);
    }
    void add(char byte)
    {
        writeRun();
        _made.push_back(byte);
    }

    /// Bytes that stay valid as long as the chain.
    void literal(const char* data, size_t size)
    {
        writeMade();
        writeRun();
        _total += _next->append(data, size, true);
    }

    /// Writes what is pending; returns what the sinks took in this call.
    size_t finish()
    {
        writeMade();
        writeRun();
        return _total;
    }

private:
    void writeRun()
    {
        if (_runStart == _runEnd) return;
        _total += _next->append(_runStart, static_cast<size_t>(_runEnd - _runStart), _final);
        _runStart = _runEnd = nullptr;
    }

    void writeMade()
    {
        if (_made.empty()) return;
        _total += _next->append(_made.data(), _made.size(), false);
        _made.clear();
    }

    Result* _next;
    bool _final;
    const char* _runStart = nullptr;
    const char* _runEnd = nullptr;
    std::string _made;
    size_t _total = 0;
};

} // namespace detail
} // namespace Filter
} // namespace Kestrava
