#pragma once

#include "filter/result.h"

#include <algorithm>
#include <cstddef>
#include <cstring>

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
 * bytes the stage makes gather in a scratch buffer that goes out as not
 * final; literals of the caller's go out at once as final. A short run
 * between made bytes is copied into the scratch buffer instead: one call
 * for both costs less than keeping those few bytes by pointer saves.
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
            absorbRun();
            _runStart = data;
        }
        _runEnd = data + size;
        if (_madeSize > 0 && runLength() >= shortRun) writeMade();
    }

    /// Bytes of the stage's own (copied before the call returns).
    void add(const char* data, size_t size)
    {
        absorbRun();
        made(data, size);
    }
    void add(char byte) { add(&byte, 1); }

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
    static constexpr size_t shortRun = 64;

    size_t runLength() const { return static_cast<size_t>(_runEnd - _runStart); }

    /// Ends the run: copied behind the made bytes when short, else written.
    void absorbRun()
    {
        if (runLength() >= shortRun)
        {
            writeMade();
            writeRun();
            return;
        }
        made(_runStart, runLength());
        _runStart = _runEnd = nullptr;
    }

    void writeRun()
    {
        if (_runStart == _runEnd) return;
        _total += _next->append(_runStart, runLength(), _final);
        _runStart = _runEnd = nullptr;
    }

    /// Copies bytes behind the made ones, writing those first when full.
    void made(const char* data, size_t size)
    {
        while (size > 0)
        {
            if (_madeSize == sizeof _made) writeMade();
            size_t piece = std::min(size, sizeof _made - _madeSize);
            std::memcpy(_made + _madeSize, data, piece);
            _madeSize += piece;
            data += piece;
            size -= piece;
        }
    }

    void writeMade()
    {
        if (_madeSize == 0) return;
        _total += _next->append(_made, _madeSize, false);
        _madeSize = 0;
    }

    Result* _next;
    bool _final;
    const char* _runStart = nullptr;
    const char* _runEnd = nullptr;
    char _made[4096];
    size_t _madeSize = 0;
    size_t _total = 0;
};

} // namespace detail
} // namespace Filter
} // namespace Kestrava
