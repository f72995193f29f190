#pragma once

#include <cstring>
#include <initializer_list>
#include <string>
#include <strings.h>
#include <vector>

namespace Kestrava
{
namespace Mime
{

/// The caller's list of further names to sign; the list must outlive it.
template <typename List> class ExtraHeaders
{
public:
    explicit ExtraHeaders(const List& names) : names(names) {}
    virtual ~ExtraHeaders() = default;
    /// Whether a name of the list equals the text, ignoring case.
    bool contains(const char* data, size_t size) const
    {
        for (const auto& name : names)
            if (length(name) == size && strncasecmp(text(name), data, size) == 0) return true;
        return false;
    }
    const List& names;

private:
    static size_t length(const std::string& name) { return name.size(); }
    static size_t length(const char* name) { return std::strlen(name); }
    static const char* text(const std::string& name) { return name.c_str(); }
    static const char* text(const char* name) { return name; }
};

} // namespace Mime
} // namespace Kestrava
