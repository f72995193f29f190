#pragma once

#include <cstddef>
#include <cstring>
#include <string>

namespace Kestrava
{
namespace Mime
{

/// A non-owning view of bytes, not NUL-terminated in general: the viewed
/// text must outlive the view.
class String
{
public:
    String() = default;
    String(const char* data, size_t size) : data(data), size(size) {}
    /// Views a NUL-terminated text (null views nothing).
    explicit String(const char* text) : data(text), size(text == nullptr ? 0 : std::strlen(text)) {}
    String(const String&) = default;
    String& operator=(const String&) = default;
    virtual ~String() = default;

    /// A copy of the viewed bytes.
    std::string copy() const { return data == nullptr ? std::string() : std::string(data, size); }

    const char* data = nullptr;
    size_t size = 0;
};

/// A view that compares ignoring ASCII case, with no trimming.
class IString : public String
{
public:
    using String::String;

    /// Same length, equal ignoring ASCII case.
    bool equals(const char* other, size_t length) const;

    bool operator==(const char* text) const;
    bool operator==(const String& other) const { return equals(other.data, other.size); }
    bool operator!=(const char* text) const { return !(*this == text); }
};

} // namespace Mime
} // namespace Kestrava
