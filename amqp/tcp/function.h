#pragma once

#include <dlfcn.h>
#include <stdexcept>
#include <string>

namespace AMQP
{

template <class Signature> class Function;

/// One entry point of a library, looked up by name. Calling one that was
/// not found throws std::runtime_error "Method NAME not found".
template <class Result, class... Arguments> class Function<Result(Arguments...)>
{
public:
    Function(void* handle, const char* name)
        : _name(name), _function(reinterpret_cast<Result (*)(Arguments...)>(
                           dlsym(handle == nullptr ? RTLD_DEFAULT : handle, name)))
    {
    }

    bool valid() const { return _function != nullptr; }
    explicit operator bool() const { return valid(); }
    const char* name() const { return _name; }

    Result operator()(Arguments... arguments) const
    {
        if (_function == nullptr)
            throw std::runtime_error(std::string("Method ") + _name + " not found");
        return _function(arguments...);
    }

private:
    const char* _name;
    Result (*_function)(Arguments...);
};

} // namespace AMQP
