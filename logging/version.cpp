#include "logging/version.h"

const int libkestrava_logging_header_22_25 = 1;
