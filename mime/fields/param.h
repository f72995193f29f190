#pragma once

#include "mime/fields/encodable.h"
#include "mime/fields/markers.h"
#include "mime/fields/paramkey.h"
#include "mime/fields/paramvalue.h"

#include <string>

namespace Kestrava
{
namespace Mime
{

/// One ‹key=value› parameter of a MIME header value.
class Param : public Encodable
{
public:
    /// Parses ‹key=value›; throws std::runtime_error "missing =" or the
    /// errors of the key and the value.
    Param(const char* data, size_t size, bool strict);

    /// A parameter with a plain value; throws std::runtime_error "invalid
    /// key" unless `name` is exactly one parameter name.
    Param(const char* name, const std::string& value);
    Param(const char* name, const char* value, size_t size);

    using Encodable::encode;
    /// Writes ‹name=value›, quoted, or RFC 2231 extended and split into
    /// sections that fit the line. Returns the bytes written for the value
    /// alone.
    size_t encode(const Capabilities& capabilities, Filter::Result* output,
                  bool final) const override;
    size_t encode(const Capabilities& capabilities, Filter::LineLength* output,
                  bool final) const override;

    /// Writes ‹name=value› unsplit and without a section number: for a
    /// name that other parameters or sections share, whose sections would
    /// mix with these.
    size_t encodeWhole(const Capabilities& capabilities, Filter::Result* output) const;
    size_t encodeWhole(const Capabilities& capabilities, Filter::LineLength* output) const;

    const ParamKey& key() const { return _key; }
    /// The name without the RFC 2231 suffix.
    const std::string& name() const { return _name; }
    const ParamValue& value() const { return _value; }
    ParamValue& value() { return _value; }
    size_t consumed() const { return _key.consumed() + 1 + _value.consumed(); }

private:
    size_t write(Filter::Result* output, size_t limit, size_t hardLimit,
                 bool whole = false) const;

    ParamKey _key;
    Require _equals;
    ParamValue _value;
    std::string _name;
};

} // namespace Mime
} // namespace Kestrava
