#include "filter/version.h"

const int libkestrava_filter_header_22_25 = 1;
