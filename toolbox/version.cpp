#include "toolbox/version.h"

const int libkestrava_toolbox_header_22_25 = 1;
