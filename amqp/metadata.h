#pragma once

#include "amqp/numericfield.h"
#include "amqp/stringfield.h"
#include "amqp/table.h"

#include <cstdint>
#include <string>

namespace AMQP
{

class InBuffer;
class OutBuffer;

/// The properties of a message. A property is present exactly when its
/// flag bit is set; setting a value sets the bit. On the wire: the 16-bit
/// flag word, then the present values in the order of the accessors below.
class MetaData
{
public:
    MetaData() = default;
    /// Decodes the flag word and the present properties; a truncated block
    /// throws ProtocolException "frame out of range".
    explicit MetaData(InBuffer& buffer);
    MetaData(const MetaData& other) = default;
    MetaData& operator=(const MetaData& other) = default;
    virtual ~MetaData() = default;

    /// Takes every property, present or not, from other.
    void set(const MetaData& other) { *this = other; }

    bool hasContentType() const { return has(contentTypeBit); }
    bool hasContentEncoding() const { return has(contentEncodingBit); }
    bool hasHeaders() const { return has(headersBit); }
    bool hasDeliveryMode() const { return has(deliveryModeBit); }
    bool hasPriority() const { return has(priorityBit); }
    bool hasCorrelationID() const { return has(correlationIDBit); }
    bool hasReplyTo() const { return has(replyToBit); }
    bool hasExpiration() const { return has(expirationBit); }
    bool hasMessageID() const { return has(messageIDBit); }
    bool hasTimestamp() const { return has(timestampBit); }
    bool hasTypeName() const { return has(typeNameBit); }
    bool hasUserID() const { return has(userIDBit); }
    bool hasAppID() const { return has(appIDBit); }
    bool hasClusterID() const { return has(clusterIDBit); }

    // Values read as "", 0 or an empty table while absent.
    const std::string& contentType() const { return _contentType.value(); }
    const std::string& contentEncoding() const { return _contentEncoding.value(); }
    const Table& headers() const { return _headers; }
    uint8_t deliveryMode() const { return _deliveryMode.value(); }
    uint8_t priority() const { return _priority.value(); }
    const std::string& correlationID() const { return _correlationID.value(); }
    const std::string& replyTo() const { return _replyTo.value(); }
    const std::string& expiration() const { return _expiration.value(); }
    const std::string& messageID() const { return _messageID.value(); }
    uint64_t timestamp() const { return _timestamp.value(); }
    const std::string& typeName() const { return _typeName.value(); }
    const std::string& userID() const { return _userID.value(); }
    const std::string& appID() const { return _appID.value(); }
    const std::string& clusterID() const { return _clusterID.value(); }

    // Texts longer than 255 octets throw Exception (they cannot be sent).
    void setContentType(const std::string& value) { assign(_contentType, value, contentTypeBit); }
    void setContentEncoding(const std::string& value)
    {
        assign(_contentEncoding, value, contentEncodingBit);
    }
    void setHeaders(const Table& value) { assign(_headers, value, headersBit); }
    void setDeliveryMode(uint8_t value) { assign(_deliveryMode, value, deliveryModeBit); }
    void setPriority(uint8_t value) { assign(_priority, value, priorityBit); }
    void setCorrelationID(const std::string& value)
    {
        assign(_correlationID, value, correlationIDBit);
    }
    void setReplyTo(const std::string& value) { assign(_replyTo, value, replyToBit); }
    void setExpiration(const std::string& value) { assign(_expiration, value, expirationBit); }
    void setMessageID(const std::string& value) { assign(_messageID, value, messageIDBit); }
    void setTimestamp(uint64_t value) { assign(_timestamp, value, timestampBit); }
    void setTypeName(const std::string& value) { assign(_typeName, value, typeNameBit); }
    void setUserID(const std::string& value) { assign(_userID, value, userIDBit); }
    void setAppID(const std::string& value) { assign(_appID, value, appIDBit); }
    void setClusterID(const std::string& value) { assign(_clusterID, value, clusterIDBit); }

    /// Octets on the wire: the flag word and the present values.
    uint32_t size() const;
    void fill(OutBuffer& buffer) const;

private:
    // Bits of the flag word; the two lowest are never set (no continuation).
    static constexpr uint16_t contentTypeBit = 0x8000;
    static constexpr uint16_t contentEncodingBit = 0x4000;
    static constexpr uint16_t headersBit = 0x2000;
    static constexpr uint16_t deliveryModeBit = 0x1000;
    static constexpr uint16_t priorityBit = 0x0800;
    static constexpr uint16_t correlationIDBit = 0x0400;
    static constexpr uint16_t replyToBit = 0x0200;
    static constexpr uint16_t expirationBit = 0x0100;
    static constexpr uint16_t messageIDBit = 0x0080;
    static constexpr uint16_t timestampBit = 0x0040;
    static constexpr uint16_t typeNameBit = 0x0020;
    static constexpr uint16_t userIDBit = 0x0010;
    static constexpr uint16_t appIDBit = 0x0008;
    static constexpr uint16_t clusterIDBit = 0x0004;

    bool has(uint16_t bit) const { return (_flags & bit) != 0; }

    template <class Field, class Value> void assign(Field& field, const Value& value, uint16_t bit)
    {
        field = Field(value);
        _flags |= bit;
    }

    /// Calls visit(bit, field) for every property in wire order.
    template <class Self, class Visitor> static void forEachProperty(Self& self, Visitor&& visit);

    uint16_t _flags = 0;
    ShortString _contentType;
    ShortString _contentEncoding;
    Table _headers;
    UInt8 _deliveryMode;
    UInt8 _priority;
    ShortString _correlationID;
    ShortString _replyTo;
    ShortString _expiration;
    ShortString _messageID;
    Timestamp _timestamp;
    ShortString _typeName;
    ShortString _userID;
    ShortString _appID;
    ShortString _clusterID;
};

} // namespace AMQP
