#include "json/version.h"

const int libkestrava_json_header_22_25 = 1;
