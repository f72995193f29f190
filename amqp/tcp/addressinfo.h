#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

struct addrinfo;

namespace AMQP
{

class ConnectionOrder;

/// The addresses a host name resolves to, in the order they are to be
/// tried.
class AddressInfo
{
public:
    /// Throws std::runtime_error with gai_strerror's text when the lookup
    /// fails.
    AddressInfo(const char* hostname, uint16_t port, const ConnectionOrder& order);
    ~AddressInfo();
    AddressInfo(const AddressInfo&) = delete;
    AddressInfo& operator=(const AddressInfo&) = delete;

    size_t size() const { return _entries.size(); }
    const addrinfo* operator[](size_t index) const { return _entries[index]; }

private:
    addrinfo* _list = nullptr;
    std::vector<const addrinfo*> _entries;
};

} // namespace AMQP
