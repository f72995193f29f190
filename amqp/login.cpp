#include "amqp/login.h"

namespace AMQP
{

std::string Login::saslPlain() const
{
    std::string response;
    response.reserve(_user.size() + _password.size() + 2);
    response += '\0';
    response += _user;
    response += '\0';
    response += _password;
    return response;
}

} // namespace AMQP
