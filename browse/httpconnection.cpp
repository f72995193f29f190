#include "browse/httpconnection.h"

#include "browse/base.h"

namespace Kestrava
{
namespace Browse
{

HttpConnection::~HttpConnection()
{
    if (_registry != nullptr) _registry->remove(this);
}

} // namespace Browse
} // namespace Kestrava
