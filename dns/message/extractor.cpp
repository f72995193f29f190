#include "dns/message/extractor.h"

#include "dns/message/canonicalizer.h"
#include "dns/message/record.h"

#include <stdexcept>

namespace DNS
{

Extractor::Extractor(const Record& record, ns_type type, size_t minimum) : _record(&record)
{
    if (record.type() != type) throw std::runtime_error("type mismatch / wrong record type");
    if (record.size() < minimum) throw std::runtime_error("record too small");
}

bool Extractor::rdata(Canonicalizer& canonicalizer) const
{
    return canonicalizer.add32(static_cast<uint32_t>(_record->size())) &&
           canonicalizer.add(_record->data(), _record->size());
}

uint32_t Extractor::ttl() const
{
    return _record->ttl();
}

} // namespace DNS
