#include "mime/fields/param.h"

#include "filter/linelength.h"
#include "mime/capabilities.h"
#include "mime/fields/paramsplitter.h"

#include <cstring>
#include <stdexcept>

namespace Kestrava
{
namespace Mime
{

namespace
{

ParamKey keyBeforeEquals(const char* data, size_t size)
{
    ParamKey key(data, size);
    if (key.consumed() == size || data[key.consumed()] != '=')
        throw std::runtime_error("missing =");
    return key;
}

/// The key of a name given whole: it must be one name without a suffix.
ParamKey plainKey(const char* name)
{
    if (name == nullptr) throw std::runtime_error("invalid key");
    std::string text = std::string(name) + "=";
    try
    {
        ParamKey key(text.data(), text.size());
        if (key.consumed() + 1 == text.size() && !key.sectioned() && !key.extended()) return key;
    }
    catch (const std::runtime_error&)
    {
    }
    throw std::runtime_error("invalid key");
}

} // namespace

Param::Param(const char* data, size_t size, bool strict)
    : _key(keyBeforeEquals(data, size)),
      _value(_key, data + _key.consumed() + 1, size - _key.consumed() - 1, strict),
      _name(data, _key.nameLength())
{
}

Param::Param(const char* name, const std::string& value)
    : _key(plainKey(name)), _value(value), _name(name)
{
}

Param::Param(const char* name, const char* value, size_t size)
    : Param(name, std::string(value, size))
{
}

size_t Param::encode(const Capabilities& capabilities, Filter::Result* output, bool) const
{
    return write(output, capabilities.sizes.preferred, capabilities.sizes.max);
}

size_t Param::encode(const Capabilities& capabilities, Filter::LineLength* output, bool) const
{
    return write(output, capabilities.sizes.preferred - 1, capabilities.sizes.max);
}

size_t Param::encodeWhole(const Capabilities& capabilities, Filter::Result* output) const
{
    return write(output, capabilities.sizes.preferred, capabilities.sizes.max, true);
}

size_t Param::encodeWhole(const Capabilities& capabilities, Filter::LineLength* output) const
{
    return write(output, capabilities.sizes.preferred - 1, capabilities.sizes.max, true);
}

size_t Param::write(Filter::Result* output, size_t limit, size_t hardLimit,
                    bool whole) const
{
    ParamSplitter splitter(output, _name, _value.text(), limit, hardLimit, whole);
    size_t written = splitter.process(_value.text().data(), _value.text().size(), false);
    splitter.finish();
    return written;
}

} // namespace Mime
} // namespace Kestrava
