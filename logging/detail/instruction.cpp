#include "logging/detail/instruction.h"

namespace Kestrava {
namespace Logging {

void Instruction::run()
{
    std::exception_ptr error;
    try
    {
        _work();
    }
    catch (...)
    {
        error = std::current_exception();
    }

    std::lock_guard<std::mutex> lock(_mutex);
    _error = error;
    _done = true;
    _condition.notify_all();
}

void Instruction::wait()
{
    std::unique_lock<std::mutex> lock(_mutex);
    _condition.wait(lock, [this] { return _done; });
    if (_error) std::rethrow_exception(_error);
}

} // namespace Logging
} // namespace Kestrava
