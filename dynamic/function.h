#pragma once

#include "dynamic/optionalfunction.h"

#include <stdexcept>
#include <string>

namespace Kestrava {
namespace Dynamic {

/**
 * An entry point of a Library that must exist.
 *
 * The constructor throws std::runtime_error "Method NAME not found " plus
 * the loader's text when the symbol (or the library) is missing, so a
 * constructed Function is always callable. Keeps the shared object loaded.
 */
template <typename Result, typename... Arguments> class Function<Result(Arguments...)>
{
public:
    Function(const Library& library, const char* name) : _function(bind(library, name)) {}

    virtual ~Function() = default;

    Result operator()(Arguments... arguments) const
    {
        return _function(std::forward<Arguments>(arguments)...);
    }

private:
    static OptionalFunction<Result(Arguments...)> bind(const Library& library, const char* name)
    {
        std::string reason;
        OptionalFunction<Result(Arguments...)> function(library, name, &reason);
        if (!function) throw std::runtime_error(std::string("Method ") + name + " not found " + reason);
        return function;
    }

    OptionalFunction<Result(Arguments...)> _function;
};

} // namespace Dynamic
} // namespace Kestrava
