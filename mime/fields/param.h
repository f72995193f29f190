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
    /// Parses ‹key=value›, blanks, folds and comments around "=" allowed
    /// as readers allow them; throws std::runtime_error "missing =" or the
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

    /// Takes what stood around the parameter in its list: the comments
    /// before it and the text after its value up to the next ";" (text
    /// that a strict reader passes over, say the rest of an unquoted file
    /// name with blanks). It goes out after the value as it came, but for
    /// comments with 8-bit bytes, which go as encoded words to a 7-bit
    /// receiver; where 8-bit bytes stand outside comments, the text joins
    /// the value instead, as lenient readers read it, since only there
    /// can its bytes go to such a receiver.
    void surround(const std::string& comments, const char* after, size_t size);
    /// Takes over what stood around another, a section joined into it.
    void surround(const Param& other) { _around += other._around; }

    const ParamKey& key() const { return _key; }
    /// The name without the RFC 2231 suffix.
    const std::string& name() const { return _name; }
    const ParamValue& value() const { return _value; }
    ParamValue& value() { return _value; }
    size_t consumed() const { return _valueStart + _value.consumed(); }

private:
    size_t write(const Capabilities& capabilities, Filter::Result* output, size_t limit,
                 bool whole = false) const;

    ParamKey _key;
    Require _equals;
    /// What goes after the value: comments and text that stood around it.
    std::string _around;
    /// Where the value starts, after "=" and the blanks around it.
    size_t _valueStart = 0;
    ParamValue _value;
    std::string _name;
};

} // namespace Mime
} // namespace Kestrava
