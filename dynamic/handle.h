#pragma once

#include <string>

namespace Kestrava {
namespace Dynamic {

/**
 * One dlopen() handle, closed when the last owner lets go of it.
 *
 * Shared through std::shared_ptr by a Library and every entry point bound
 * from it, so that a bound function keeps its shared object loaded.
 */
class Handle
{
public:
    /// Opens the running process itself.
    Handle();

    /// Opens a shared object by file name. The name is not copied: callers
    /// pass names from static tables.
    explicit Handle(const char* name);

    Handle(const Handle&) = delete;
    Handle& operator=(const Handle&) = delete;

    virtual ~Handle();

    /// The dlopen() result; null when the open failed.
    void* pointer() const { return _pointer; }

    /// Whether a file name was opened (false for the running process).
    bool named() const { return _named; }

    /// The file name that was opened, null for the running process.
    const char* name() const { return _name; }

    /// The loader's reason when the open failed, empty otherwise.
    const std::string& error() const { return _error; }

private:
    void open(const char* name);

    void* _pointer = nullptr;
    bool _named = false;
    const char* _name = nullptr;
    std::string _error;
};

/// The flags every shared object is opened with: resolved at once, never
/// made visible to global-scope lookups elsewhere in the process.
int openMode();

} // namespace Dynamic
} // namespace Kestrava
