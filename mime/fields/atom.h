#pragma once

#include "mime/string.h"

#include <cstddef>

namespace Kestrava
{
namespace Mime
{

/**
 * One RFC 5322 atom at the start of a text, with the CFWS before and after
 * it when asked. Bytes from 0x80 are allowed in its text (clearing the
 * ASCII flag); its text may be empty. Throws only for a broken comment.
 */
class Atom
{
public:
    Atom(const char* data, size_t size, bool cfws);
    virtual ~Atom() = default;

    /// The atom's own text, between the two CFWS.
    String text() const { return String(_data + _leading, _consumed - _leading - _trailing); }
    size_t consumed() const { return _consumed; }
    size_t leading() const { return _leading; }
    size_t trailing() const { return _trailing; }
    bool ascii() const { return _ascii; }

private:
    const char* _data;
    size_t _consumed = 0;
    size_t _leading = 0;
    size_t _trailing = 0;
    bool _ascii = true;
};

} // namespace Mime
} // namespace Kestrava
