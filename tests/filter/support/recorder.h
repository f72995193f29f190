#pragma once

#include "filter/result.h"

#include <string>
#include <vector>

namespace Kestrava
{
namespace Filter
{
namespace Check
{

/// A sink that records every append: its bytes and its flag.
class Recorder : public Result
{
public:
    struct Call
    {
        std::string bytes;
        bool final;
    };

    using Result::append;

    size_t append(const char* data, size_t size, bool final) override
    {
        calls.push_back({std::string(data, size), final});
        return size;
    }

    size_t flush() override
    {
        ++flushes;
        return 0;
    }

    std::vector<Call> calls;
    int flushes = 0;
};

} // namespace Check
} // namespace Filter
} // namespace Kestrava
