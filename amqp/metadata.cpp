#include "amqp/metadata.h"

#include "amqp/buffers/inbuffer.h"
#include "amqp/buffers/outbuffer.h"

#include <type_traits>

namespace AMQP
{

template <class Self, class Visitor> void MetaData::forEachProperty(Self& self, Visitor&& visit)
{
    visit(contentTypeBit, self._contentType);
    visit(contentEncodingBit, self._contentEncoding);
    visit(headersBit, self._headers);
    visit(deliveryModeBit, self._deliveryMode);
    visit(priorityBit, self._priority);
    visit(correlationIDBit, self._correlationID);
    visit(replyToBit, self._replyTo);
    visit(expirationBit, self._expiration);
    visit(messageIDBit, self._messageID);
    visit(timestampBit, self._timestamp);
    visit(typeNameBit, self._typeName);
    visit(userIDBit, self._userID);
    visit(appIDBit, self._appID);
    visit(clusterIDBit, self._clusterID);
}

MetaData::MetaData(InBuffer& buffer)
{
    // Bits of no property (the two lowest) are dropped: they occupy no
    // octets, and keeping them would write a flag word that lies.
    _flags = buffer.nextUint16() & ~uint16_t(0x0003);
    forEachProperty(*this,
                    [&](uint16_t bit, auto& field)
                    {
                        if (has(bit)) field = std::decay_t<decltype(field)>(buffer);
                    });
}

uint32_t MetaData::size() const
{
    size_t size = 2;
    forEachProperty(*this,
                    [&](uint16_t bit, const auto& field)
                    {
                        if (has(bit)) size += field.size();
                    });
    return static_cast<uint32_t>(size);
}

void MetaData::fill(OutBuffer& buffer) const
{
    buffer.add(_flags);
    forEachProperty(*this,
                    [&](uint16_t bit, const auto& field)
                    {
                        if (has(bit)) field.fill(buffer);
                    });
}

} // namespace AMQP
