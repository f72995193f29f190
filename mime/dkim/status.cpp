#include "mime/dkim/status.h"

namespace Kestrava
{
namespace Mime
{

const char* const Status::pass = "pass";
const char* const Status::fail = "fail";
const char* const Status::none = "none";
const char* const Status::permerror = "permerror";
const char* const Status::temperror = "temperror";

} // namespace Mime
} // namespace Kestrava
