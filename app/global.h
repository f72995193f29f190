#pragma once

#include "logging/log.h"

namespace Global
{

/// The service's log; its writer thread runs from before main.
extern Kestrava::Logging::Log log;

} // namespace Global
