#pragma once

#include <string>
#include <utility>

namespace Kestrava
{
namespace Mime
{

/// The domain and selector under which a signature's key is published.
class KeyName
{
public:
    KeyName(std::string domain, std::string selector)
        : domain(std::move(domain)), selector(std::move(selector))
    {
    }
    bool operator<(const KeyName& other) const
    {
        return domain != other.domain ? domain < other.domain : selector < other.selector;
    }
    std::string domain;
    std::string selector;
};

} // namespace Mime
} // namespace Kestrava
