// Reads arbitrary bytes as a mailbox list and as an address list, strict
// and lenient: lenient lists never throw, strict ones throw only
// std::runtime_error, and whatever parses is written for a 7-bit and a
// UTF-8 receiver and parses again to the same addresses.

#include "fuzz/mime/support.h"
#include "mime/capabilities.h"
#include "mime/fields/mailboxes.h"
#include "mime/fields/targets.h"

#include <cstdio>
#include <cstdlib>
#include <stdexcept>
#include <string>
#include <vector>

namespace
{

using namespace Kestrava::Mime;

std::vector<const Address*> addresses(const Mailboxes& list)
{
    std::vector<const Address*> found;
    for (const auto& box : list.mailboxes())
        found.push_back(&box->address());
    return found;
}

std::vector<const Address*> addresses(const Targets& list)
{
    std::vector<const Address*> found;
    for (const auto& target : list.targets())
        for (const auto& box : target->mailboxes())
            found.push_back(&box->address());
    return found;
}

std::vector<std::string> names(const Mailboxes& list)
{
    std::vector<std::string> found;
    for (const auto& box : list.mailboxes())
        found.push_back(box->name().text());
    return found;
}

std::vector<std::string> names(const Targets& list)
{
    std::vector<std::string> found;
    for (const auto& target : list.targets())
    {
        found.push_back(target->name().text());
        for (const auto& box : target->mailboxes())
            found.push_back(box->name().text());
    }
    return found;
}

/// The header encoder takes a NUL byte for a blank, so only names without
/// NUL must come back. A local part is written quoted, with blanks
/// for the line breaks that no header line can hold.
template <typename List> bool roundTrips(const List& list)
{
    for (const Address* address : addresses(list))
        if (address->localPart().text().find_first_of("\r\n") != std::string::npos) return false;
    for (const std::string& name : names(list))
        if (name.find('\0') != std::string::npos) return false;
    return true;
}

template <typename List> void checkRoundTrip(const List& list)
{
    if (!roundTrips(list)) return;
    for (bool utf8 : {false, true})
    {
        std::string text = list.str(utf8);
        std::unique_ptr<char[]> copy =
            exactCopy(reinterpret_cast<const uint8_t*>(text.data()), text.size());
        List again(copy.get(), text.size(), false);
        std::vector<const Address*> before = addresses(list);
        std::vector<const Address*> after = addresses(again);
        bool same = before.size() == after.size();
        for (size_t i = 0; same && i < before.size(); ++i)
            same = *before[i] == *after[i];
        if (!same)
        {
            std::fprintf(stderr, "written as: ");
            std::fwrite(text.data(), 1, text.size(), stderr);
            std::abort();
        }
    }
}

template <typename List> void check(const char* data, size_t size)
{
    checkRoundTrip(List(data, size, false));
    try
    {
        checkRoundTrip(List(data, size, true));
    }
    catch (const std::runtime_error&)
    {
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    std::unique_ptr<char[]> copy = exactCopy(data, size);
    check<Mailboxes>(copy.get(), size);
    check<Targets>(copy.get(), size);
    return 0;
}
