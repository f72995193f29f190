#include "logging/fileinfo.h"

namespace Kestrava {
namespace Logging {

FileInfo::FileInfo(const std::string& path) : _status(), _exists(stat(path.c_str(), &_status) == 0)
{
}

} // namespace Logging
} // namespace Kestrava
