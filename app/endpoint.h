#pragma once

#include "browse/url.h"

#include <string>

/// The endpoint URL. Refuses, with std::runtime_error and a line that says why, an endpoint
/// the service could never post to: a scheme other than http or https, no
/// host, a port outside 1 to 65535 or not all digits, a path or query
/// holding a blank or a control octet, a URL the parser refuses. The URL
/// itself is left out of the message: it may hold a password or a key.
Kestrava::Browse::Url endpoint(const std::string& text);
