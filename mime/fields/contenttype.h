#pragma once

#include "mime/fields/encodable.h"
#include "mime/fields/params.h"

#include <string>

namespace Kestrava
{
namespace Mime
{

/// A Content-Type value: the type/subtype token and its parameters. Views
/// the parsed text, which must outlive it.
class ContentType : public HeaderField
{
public:
    /// The type/subtype token.
    class Type
    {
    public:
        /// Throws std::runtime_error "no maintype in content-type", "no
        /// subtype in content-type", "only one slash can be used in a
        /// content-type" or "invalid content-type".
        Type(const char* data, size_t size);
        virtual ~Type() = default;

        /// Whether the main type, the subtype or the whole token is `name`,
        /// ignoring case.
        bool main(const char* name) const;
        bool sub(const char* name) const;
        bool equals(const char* name) const;
        bool equals(const std::string& name) const { return equals(name.c_str()); }

        const char* data() const { return _data; }
        size_t size() const { return _size; }
        /// Leading blanks and the ending ";" included.
        size_t consumed() const { return _consumed; }
        /// The comments after the token, each after a blank.
        const std::string& comments() const { return _comments; }

    private:
        const char* _data = nullptr;
        const char* _sub = nullptr;
        size_t _size = 0;
        size_t _consumed = 0;
        std::string _comments;
    };

    /// Strict requires the "boundary" of a multipart type: std::runtime_error
    /// "boundary missing for content-type: " and the input.
    ContentType(const char* data, size_t size, bool strict);

    /// A file name for the type, or null.
    const char* defaultName() const;

    using HeaderField::encode;
    size_t encode(const Capabilities& capabilities, Filter::Result* output,
                  bool final) const override;
    size_t encode(const Capabilities& capabilities, Filter::LineLength* output,
                  bool final) const override;

    const Type& type() const { return _type; }
    /// The "boundary" parameter as the delimiter lines spell it: what looks
    /// like an encoded word in it stays as it came.
    const std::string& boundary() const;
    const Params& params() const { return _params; }
    Params& params() { return _params; }

private:
    Type _type;
    Params _params;
};

} // namespace Mime
} // namespace Kestrava
