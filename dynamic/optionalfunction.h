#pragma once

#include "dynamic/library.h"
#include "dynamic/lookup.h"

#include <functional>
#include <memory>
#include <string>

namespace Kestrava {
namespace Dynamic {

template <typename Signature> class OptionalFunction;
template <typename Signature> class Function;

/**
 * An entry point of a Library that may be missing.
 *
 * Test it before calling: calling a missing one throws
 * std::bad_function_call. Keeps the library's shared object loaded.
 */
template <typename Result, typename... Arguments> class OptionalFunction<Result(Arguments...)>
{
public:
    using Pointer = Result (*)(Arguments...);

    OptionalFunction(const Library& library, const char* name) : OptionalFunction(library, name, nullptr) {}

    virtual ~OptionalFunction() = default;

    explicit operator bool() const { return _function != nullptr; }

    Result operator()(Arguments... arguments) const
    {
        if (_function == nullptr) throw std::bad_function_call();
        return _function(std::forward<Arguments>(arguments)...);
    }

private:
    friend class Function<Result(Arguments...)>;

    OptionalFunction(const Library& library, const char* name, std::string* reason)
        : _handle(library.shared()),
          _function(reinterpret_cast<Pointer>(lookup(_handle, name, reason)))
    {
    }

    std::shared_ptr<Handle> _handle;
    Pointer _function;
};

} // namespace Dynamic
} // namespace Kestrava
