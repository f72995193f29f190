#pragma once

#include "mime/fields/encodable.h"
#include "mime/fields/params.h"

#include <string>

namespace Kestrava
{
namespace Mime
{

/// A Content-Disposition value: the disposition token and its parameters.
/// Views the parsed text, which must outlive it.
class ContentDisposition : public HeaderField
{
public:
    /// The disposition token.
    class Setting
    {
    public:
        /// Throws std::runtime_error "no content-disposition value" or
        /// "invalid content-disposition".
        Setting(const char* data, size_t size);
        virtual ~Setting() = default;

        const char* data() const { return _data; }
        size_t size() const { return _size; }
        /// Leading blanks and the ending ";" included.
        size_t consumed() const { return _consumed; }
        /// The comments after the token, each after a blank.
        const std::string& comments() const { return _comments; }

    private:
        const char* _data = nullptr;
        size_t _size = 0;
        size_t _consumed = 0;
        std::string _comments;
    };

    ContentDisposition(const char* data, size_t size);

    using HeaderField::encode;
    size_t encode(const Capabilities& capabilities, Filter::Result* output,
                  bool final) const override;
    size_t encode(const Capabilities& capabilities, Filter::LineLength* output,
                  bool final) const override;

    const Setting& setting() const { return _setting; }
    const Params& params() const { return _params; }
    Params& params() { return _params; }

private:
    Setting _setting;
    Params _params;
};

} // namespace Mime
} // namespace Kestrava
