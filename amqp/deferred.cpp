#include "amqp/deferred.h"

#include <utility>

namespace AMQP
{

Deferred::Deferred(bool failed) : _failed(failed) {}

Deferred::~Deferred()
{
    if (_finalizeCallback) _finalizeCallback();
}

Deferred& Deferred::onSuccess(std::function<void()> callback)
{
    _successCallback = std::move(callback);
    return *this;
}

Deferred& Deferred::onError(std::function<void(const char*)> callback)
{
    _errorCallback = std::move(callback);
    // Installed after the failure: nothing else would ever report it.
    if (_failed && _errorCallback) _errorCallback("Frame could not be sent");
    return *this;
}

Deferred& Deferred::onFinalize(std::function<void()> callback)
{
    _finalizeCallback = std::move(callback);
    return *this;
}

void Deferred::reportSuccess() const
{
    if (_successCallback) _successCallback();
}

void Deferred::reportSuccess(const std::string&, uint32_t, uint32_t) const
{
    reportSuccess();
}

void Deferred::reportSuccess(uint32_t) const
{
    reportSuccess();
}

void Deferred::reportSuccess(uint32_t, uint64_t, bool)
{
    reportSuccess();
}

void Deferred::reportSuccess(const std::string&)
{
    reportSuccess();
}

void Deferred::reportError(const char* message)
{
    _failed = true;
    if (_errorCallback) _errorCallback(message);
}

} // namespace AMQP
