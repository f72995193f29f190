/* Feeds a message with CR LF line ends to a libopendkim handle. */
#pragma once

#include <opendkim/dkim.h>

#include <stddef.h>

/* Each header field (folds included), the end of the header, the body and
 * the end of the message; the first status other than DKIM_STAT_OK. */
DKIM_STAT feedMessage(DKIM* dkim, const char* message, size_t size);
