#include "app/global.h"

namespace Global
{

Kestrava::Logging::Log log(Kestrava::Logging::info, nullptr);

} // namespace Global
