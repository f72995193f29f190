#pragma once

#include "json/value.h"

#include <cstddef>
#include <string>
#include <vector>

namespace Kestrava {
namespace JSON {

/**
 * A JSON pointer: the list of reference tokens that designates one place in
 * a document. Read-only once built, so it may be shared between threads.
 */
class Pointer
{
public:
    /// One reference token, with "~1" and "~0" decoded to "/" and "~".
    class Part
    {
    public:
        /// The token from text that starts with its "/"; throws
        /// std::runtime_error "Invalid JSON pointer" otherwise.
        Part(const char* text, size_t size);
        virtual ~Part() = default;

        /// The decoded token.
        const std::string& token() const { return _token; }

        /// Whether the token is "-", the place behind the last element.
        bool isEnd() const { return _token.size() == 1 && _token[0] == '-'; }

        /// The token as an array index, -1 when it is none: decimal digits
        /// without a leading zero, within the range of int. The empty token
        /// is index 0.
        int index() const;

        /// The member or element the token designates in value, shared, or
        /// the empty value.
        Value apply(const Value& value) const;

        /// Whether that member (its value may be null) or element exists.
        bool match(const Value& value) const;

    private:
        std::string _token;
    };

    /// Parses text of size bytes: empty text is the whole document, other
    /// text must begin with "/", else std::runtime_error "Invalid JSON
    /// pointer" is thrown.
    Pointer(const char* text, size_t size);
    explicit Pointer(const std::string& text) : Pointer(text.data(), text.size()) {}
    virtual ~Pointer() = default;

    /// The tokens in order; none for the whole document.
    const std::vector<Part>& parts() const { return _parts; }

    /// The designated value, shared, or the empty value.
    Value apply(const Value& document) const;

    /// Whether the designated place exists (holding JSON null counts).
    bool match(const Value& document) const;

private:
    std::vector<Part> _parts;
};

} // namespace JSON
} // namespace Kestrava
