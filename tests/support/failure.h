#pragma once

#include <stdexcept>
#include <string>

namespace Testing {

/// The text of the `Error` that `action` throws; empty when it throws none.
/// Any other exception passes through and fails the test.
template <typename Error = std::runtime_error, typename Action> std::string failureOf(Action action)
{
    try
    {
        action();
    }
    catch (const Error& error)
    {
        return error.what();
    }
    return "";
}

} // namespace Testing
