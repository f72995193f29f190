/* libopendkim verifying one message again and again, the key read from a
 * file (DKIM_QUERY_FILE): opendkim_verify KEYFILE MESSAGE ROUNDS. Prints the
 * nanoseconds per verification. A program of its own: it links libcrypto,
 * which the run-time binding of our library must not share. */
#include "tests/mime/peers/opendkimfeed.h"

#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <time.h>

int main(int argc, char** argv)
{
    if (argc != 4) return 2;
    FILE* file = fopen(argv[2], "rb");
    if (file == NULL) return 2;
    static char message[1 << 20];
    size_t size = fread(message, 1, sizeof message, file);
    fclose(file);
    long rounds = atol(argv[3]);

    DKIM_LIB* library = dkim_init(NULL, NULL);
    dkim_query_t method = DKIM_QUERY_FILE;
    dkim_options(library, DKIM_OP_SETOPT, DKIM_OPTS_QUERYMETHOD, &method, sizeof method);
    dkim_options(library, DKIM_OP_SETOPT, DKIM_OPTS_QUERYINFO, argv[1], strlen(argv[1]));
    struct timespec start, end;
    clock_gettime(CLOCK_MONOTONIC, &start);
    for (long i = 0; i < rounds; ++i)
    {
        DKIM_STAT status;
        DKIM* dkim = dkim_verify(library, (unsigned char*)"bench", NULL, &status);
        if (dkim == NULL || feedMessage(dkim, message, size) != DKIM_STAT_OK) return 3;
        dkim_free(dkim);
    }
    clock_gettime(CLOCK_MONOTONIC, &end);
    double nanoseconds = (end.tv_sec - start.tv_sec) * 1e9 + (end.tv_nsec - start.tv_nsec);
    printf("%.0f\n", nanoseconds / rounds);
    dkim_close(library);
    return 0;
}
