#include "network/version.h"

const int libkestrava_network_header_22_25 = 1;
