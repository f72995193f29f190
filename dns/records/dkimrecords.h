#pragma once

#include "dns/records/dkimrecord.h"
#include "dns/records/resources.h"

#include <arpa/nameser.h>

namespace Kestrava
{
namespace Dns
{

/// The handler of one DKIM key lookup: the key records of the TXT answer.
class DkimRecords : public Resources<DkimRecord, ns_t_txt>
{
};

} // namespace Dns
} // namespace Kestrava
