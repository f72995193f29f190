#pragma once

/// Marks the header version this library was built with.
extern const int libkestrava_filter_header_22_25;
