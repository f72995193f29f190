#include "dynamic/version.h"

const int libkestrava_dynamic_header_22_25 = 1;
