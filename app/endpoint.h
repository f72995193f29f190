#pragma once

#include "browse/url.h"

#include <string>

/// The endpoint URL. Refuses, with std::runtime_error and a line that says
/// why, an endpoint the service could never post to: none at all (or only
/// blanks), a scheme other than http or https (in any case), no host, a
/// port outside 1 to 65535 or not all digits, a path or query holding a
/// blank or a control octet, a URL the parser refuses, user information
/// (credentials the client would not send). The URL itself is left out of
/// the message: it may hold a password or a key.
Kestrava::Browse::Url endpoint(const std::string& text);

/// The Host header of every request to url (RFC 9110 section 7.2): an IPv6
/// literal in brackets, and the port unless it is the scheme's default.
std::string hostHeader(const Kestrava::Browse::Url& url);

/// The endpoint every document is posted to, with its Host header, both
/// made once at start-up.
struct Endpoint
{
    explicit Endpoint(const std::string& text) : url(endpoint(text)), host(hostHeader(url)) {}

    Kestrava::Browse::Url url;
    std::string host;
};
