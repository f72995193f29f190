#include "mime/empty.h"

#include "mime/value.h"

namespace Kestrava
{
namespace Mime
{

const std::string& empty_string()
{
    static const std::string text;
    return text;
}

const Value& empty_value()
{
    static const Value value(empty_string().data(), 0);
    return value;
}

} // namespace Mime
} // namespace Kestrava
