#pragma once

/// Marks the header version this library was built with.
extern const int libkestrava_json_header_22_25;
