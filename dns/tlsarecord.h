#pragma once

#include <cstdint>
#include <string>
#include <utility>
#include <vector>

namespace Kestrava
{
namespace Dns
{

/**
 * One TLSA record of a peer (RFC 6698): how its association data is to be
 * matched against the peer's certificate chain.
 */
class TlsaRecord
{
public:
    /// `data` holds the raw association bytes, not text.
    TlsaRecord(uint8_t usage, uint8_t selector, uint8_t matchingType, std::string data)
        : _usage(usage), _selector(selector), _matchingType(matchingType), _data(std::move(data))
    {
    }

    uint8_t usage() const { return _usage; }
    uint8_t selector() const { return _selector; }
    uint8_t matchingType() const { return _matchingType; }
    const std::string& data() const { return _data; }

private:
    uint8_t _usage;
    uint8_t _selector;
    uint8_t _matchingType;
    std::string _data;
};

/// The TLSA records of a peer in the order they were found; handed to a
/// DANE-checked TLS connection.
using TlsaRecords = std::vector<TlsaRecord>;

} // namespace Dns
} // namespace Kestrava
