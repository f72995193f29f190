#pragma once

#include <string>
#include <utility>

namespace Kestrava
{
namespace Browse
{

/// The body of a POST and its content type.
class PostData
{
public:
    PostData(std::string body, std::string contentType)
        : _body(std::move(body)), _contentType(std::move(contentType))
    {
    }
    virtual ~PostData() = default;

    const std::string& body() const { return _body; }
    const std::string& contentType() const { return _contentType; }

private:
    std::string _body;
    std::string _contentType;
};

} // namespace Browse
} // namespace Kestrava
