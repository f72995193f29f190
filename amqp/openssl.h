#pragma once

namespace AMQP
{

/// Sets the library handle (from dlopen) in which the client looks its TLS
/// entry points up, for the lookups not yet made; without one they are
/// looked up in the process's global symbol scope. Set it before the first
/// connection. Returns handle.
void* openssl(void* handle);

} // namespace AMQP
