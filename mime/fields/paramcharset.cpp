#include "mime/fields/paramcharset.h"

#include <stdexcept>

namespace Kestrava
{
namespace Mime
{

ParamCharset::ParamCharset(const std::string& value)
{
    size_t first = value.find('\'');
    if (first == std::string::npos) throw std::runtime_error("no charset found");
    size_t second = value.find('\'', first + 1);
    if (second == std::string::npos) throw std::runtime_error("no language found");
    _name = value.substr(0, first);
    _textStart = second + 1;
}

} // namespace Mime
} // namespace Kestrava
