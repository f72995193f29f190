#pragma once

#include "dynamic/handle.h"

#include <memory>

namespace Kestrava {
namespace Dynamic {

/**
 * A shared library opened at run time, or the running process itself.
 *
 * Copies share one Handle; the shared object stays open while any copy or
 * any entry point bound from it lives. A library that did not open is not
 * an error by itself: valid() is false and its entry points are unbound.
 */
class Library
{
public:
    /// The running process: binds symbols already loaded, opens no file.
    Library();

    /// The first name of a null-terminated list that opens. When none opens,
    /// the library keeps the last failed attempt and is not valid.
    explicit Library(const char* const* names);

    virtual ~Library() = default;

    /// Whether the library holds a handle whose dlopen() succeeded.
    bool valid() const { return _handle != nullptr && _handle->pointer() != nullptr; }

    /// The raw dlopen() handle, null when nothing was opened.
    void* handle() const { return _handle != nullptr ? _handle->pointer() : nullptr; }

    /// The shared handle, for the entry points bound from this library.
    const std::shared_ptr<Handle>& shared() const { return _handle; }

protected:
    /// Replaces the current handle by the first name of the list that opens.
    void open(const char* const* names);

private:
    std::shared_ptr<Handle> _handle;
};

} // namespace Dynamic
} // namespace Kestrava
