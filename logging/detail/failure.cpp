#include "logging/detail/failure.h"

#include <iostream>
#include <stdexcept>

namespace Kestrava {
namespace Logging {

void reportFailure(std::exception_ptr error)
{
    try
    {
        std::rethrow_exception(error);
    }
    catch (const std::exception& exception)
    {
        std::cerr << "Logging failed: " << exception.what() << std::endl;
    }
    catch (...)
    {
        std::cerr << "Logging failed: unknown exception" << std::endl;
    }
}

} // namespace Logging
} // namespace Kestrava
