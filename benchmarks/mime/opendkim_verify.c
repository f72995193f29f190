/* libopendkim verifying one message again and again: opendkim_verify KEYS
 * MESSAGE ROUNDS [fail]. KEYS is a key file (DKIM_QUERY_FILE), or "dns"
 * for the system's name servers, as a receiving server asks them. Prints
 * the nanoseconds per verification. With ROUNDS "-" it reads round counts
 * from standard input, one a line, and answers each with a line, so that a
 * caller can interleave its own rounds. Every signature must pass, or with
 * "fail" every one must fail on its body hash alone (its key fetched and
 * its header signature verified). A program of its own: it links
 * libcrypto, which the run-time binding of our library must not share. */
#include "tests/mime/peers/opendkimfeed.h"

#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <time.h>

/* Whether every signature of the message gave the verdict wanted. */
static int verified(DKIM_LIB* library, const char* message, size_t size, int passes)
{
    DKIM_STAT status;
    DKIM* dkim = dkim_verify(library, (unsigned char*)"bench", NULL, &status);
    if (dkim == NULL) return 0;
    DKIM_STAT fed = feedMessage(dkim, message, size);
    if (fed != (passes ? DKIM_STAT_OK : DKIM_STAT_BADSIG))
    {
        dkim_free(dkim);
        return 0;
    }
    DKIM_SIGINFO** signatures;
    int count = 0;
    int passed = dkim_getsiglist(dkim, &signatures, &count) == DKIM_STAT_OK && count > 0;
    for (int i = 0; i < count; ++i)
        passed = passed && (passes ? DKIM_SIG_CHECK(signatures[i])
                                   : (dkim_sig_getflags(signatures[i]) & DKIM_SIGFLAG_PASSED) &&
                                         dkim_sig_getbh(signatures[i]) == DKIM_SIGBH_MISMATCH);
    dkim_free(dkim);
    return passed;
}

/* Nanoseconds per verification over `rounds`, or -1 when one failed. */
static double measure(DKIM_LIB* library, const char* message, size_t size, long rounds, int passes)
{
    struct timespec start, end;
    clock_gettime(CLOCK_MONOTONIC, &start);
    for (long i = 0; i < rounds; ++i)
        if (!verified(library, message, size, passes)) return -1;
    clock_gettime(CLOCK_MONOTONIC, &end);
    double nanoseconds = (end.tv_sec - start.tv_sec) * 1e9 + (end.tv_nsec - start.tv_nsec);
    return nanoseconds / rounds;
}

int main(int argc, char** argv)
{
    if (argc != 4 && !(argc == 5 && strcmp(argv[4], "fail") == 0)) return 2;
    int passes = argc == 4;
    FILE* file = fopen(argv[2], "rb");
    if (file == NULL || fseek(file, 0, SEEK_END) != 0) return 2;
    long length = ftell(file);
    rewind(file);
    /* NUL-terminated: the feeder looks for line ends with strstr. */
    char* message = length < 0 ? NULL : calloc((size_t)length + 1, 1);
    if (message == NULL) return 2;
    size_t size = fread(message, 1, (size_t)length, file);
    fclose(file);

    DKIM_LIB* library = dkim_init(NULL, NULL);
    if (strcmp(argv[1], "dns") != 0)
    {
        dkim_query_t method = DKIM_QUERY_FILE;
        dkim_options(library, DKIM_OP_SETOPT, DKIM_OPTS_QUERYMETHOD, &method, sizeof method);
        dkim_options(library, DKIM_OP_SETOPT, DKIM_OPTS_QUERYINFO, argv[1], strlen(argv[1]));
    }
    int status = 0;
    if (strcmp(argv[3], "-") != 0)
    {
        double nanoseconds = measure(library, message, size, atol(argv[3]), passes);
        status = nanoseconds < 0 ? 3 : 0;
        if (status == 0) printf("%.0f\n", nanoseconds);
    }
    else
    {
        char line[64];
        while (status == 0 && fgets(line, sizeof line, stdin) != NULL)
        {
            double nanoseconds = measure(library, message, size, atol(line), passes);
            status = nanoseconds < 0 ? 3 : 0;
            printf("%.0f\n", nanoseconds);
            fflush(stdout);
        }
    }
    dkim_close(library);
    free(message);
    return status;
}
