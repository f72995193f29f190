#pragma once

#include <cstddef>
#include <cstdint>

#include <arpa/nameser.h>

namespace DNS
{

class Canonicalizer;
class Record;

/// A typed view of one record: checks the type and the least data size
/// its subclass reads. Keeps a pointer to the record, which must outlive it.
class Extractor
{
public:
    Extractor(const Record& record, ns_type type, size_t minimum);
    virtual ~Extractor() = default;

    /// Appends the data length (32 bits) and the data; false when memory runs out.
    virtual bool rdata(Canonicalizer& canonicalizer) const;

    uint32_t ttl() const;

protected:
    const Record* _record;
};

} // namespace DNS
