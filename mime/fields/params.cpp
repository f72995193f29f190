#include "mime/fields/params.h"

#include "filter/linelength.h"
#include "mime/detail/skip.h"
#include "mime/empty.h"
#include "mime/fields/partialparams.h"
#include "mime/fields/whitespace.h"

#include <strings.h>

#include <cstring>
#include <stdexcept>

namespace Kestrava
{
namespace Mime
{

namespace
{

/// The CFWS at the start; an unfinished comment ends the list, so it counts
/// as the rest of the text.
size_t skipBlanks(const char* data, size_t size)
{
    try
    {
        return Whitespace(data, size, true).consumed();
    }
    catch (const std::runtime_error&)
    {
        return size;
    }
}

} // namespace

Params::Params(const char* data, size_t size, bool strict)
{
    PartialParams sections(this);
    size_t position = 0;
    while (true)
    {
        position += skipBlanks(data + position, size - position);
        if (position == size) break;
        try
        {
            auto param = std::make_shared<Param>(data + position, size - position, strict);
            position += param->consumed();
            if (param->key().sectioned())
                sections.add(param);
            else
                append(param);
        }
        catch (const std::runtime_error&)
        {
            position += detail::skipItem(data + position, size - position, ";");
        }
        position += skipBlanks(data + position, size - position);
        if (position + 1 >= size || data[position] != ';') break;
        ++position;
    }
    sections.join();
}

std::shared_ptr<Param> Params::parameter(const char* name) const
{
    if (name == nullptr) return nullptr;
    size_t length = std::strlen(name);
    for (const auto& param : _params)
    {
        const std::string& other = param->name();
        if (other.size() == length && strncasecmp(other.data(), name, length) == 0) return param;
    }
    return nullptr;
}

const std::string& Params::get(const char* name) const
{
    std::shared_ptr<Param> param = parameter(name);
    return param ? param->value().text() : empty_string();
}

bool Params::set(const char* name, const std::string& value)
{
    if (std::shared_ptr<Param> param = parameter(name))
    {
        param->value().set(value);
        return true;
    }
    try
    {
        append(std::make_shared<Param>(name, value));
        return true;
    }
    catch (const std::runtime_error&)
    {
        return false;
    }
}

bool Params::set(const char* name, const char* value)
{
    return set(name, std::string(value));
}

template <typename Sink>
size_t Params::write(const Capabilities& capabilities, Sink* output, bool final) const
{
    size_t written = 0;
    for (const auto& param : _params)
    {
        written += output->append("; ", 2, true);
        written += param->encode(capabilities, output, final);
    }
    return written;
}

size_t Params::encode(const Capabilities& capabilities, Filter::Result* output, bool final) const
{
    return write(capabilities, output, final);
}

size_t Params::encode(const Capabilities& capabilities, Filter::LineLength* output,
                      bool final) const
{
    return write(capabilities, output, final);
}

} // namespace Mime
} // namespace Kestrava
