#include "opendkimfeed.h"

#include <string.h>

DKIM_STAT feedMessage(DKIM* dkim, const char* message, size_t size)
{
    DKIM_STAT status;
    size_t position = 0;
    while (position + 1 < size && !(message[position] == '\r' && message[position + 1] == '\n'))
    {
        size_t end = position;
        for (;;)
        {
            const char* next = strstr(message + end, "\r\n");
            if (next == NULL) return DKIM_STAT_SYNTAX;
            end = next - message;
            if (message[end + 2] != ' ' && message[end + 2] != '\t') break;
            end += 2;
        }
        status = dkim_header(dkim, (unsigned char*)message + position, end - position);
        if (status != DKIM_STAT_OK) return status;
        position = end + 2;
    }
    position += 2;
    if ((status = dkim_eoh(dkim)) != DKIM_STAT_OK) return status;
    if (position < size && (status = dkim_body(dkim, (unsigned char*)message + position,
                                               size - position)) != DKIM_STAT_OK)
        return status;
    return dkim_eom(dkim, NULL);
}
