#include "event/version.h"

const int libkestrava_event_header_22_25 = 1;
