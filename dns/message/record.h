#pragma once

#include <cstddef>
#include <cstdint>

#include <arpa/nameser.h>

namespace DNS
{

class Message;

/// One resource record of a message. Its data points into the message,
/// which must outlive the record.
class Record
{
public:
    Record(const Message& message, ns_sect section, int index);
    virtual ~Record() = default;

    /// The owner name; "." for the root, never empty.
    const char* name() const;
    uint16_t type() const { return ns_rr_type(_record); }
    uint16_t dnsclass() const { return ns_rr_class(_record); }
    uint32_t ttl() const { return ns_rr_ttl(_record); }
    size_t size() const { return ns_rr_rdlen(_record); }
    const unsigned char* data() const { return ns_rr_rdata(_record); }

private:
    ns_rr _record;
};

// The section views are only a fixed section for Record; they share its header.

/// A record of the question section (type and class only).
class Question : public Record
{
public:
    Question(const Message& message, int index) : Record(message, ns_s_qd, index) {}
};

/// A record of the answer section.
class Answer : public Record
{
public:
    Answer(const Message& message, int index) : Record(message, ns_s_an, index) {}
};

/// A record of the additional section.
class Additional : public Record
{
public:
    Additional(const Message& message, int index) : Record(message, ns_s_ar, index) {}
};

} // namespace DNS
