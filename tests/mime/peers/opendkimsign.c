/* libopendkim as a signing peer: opendkimsign KEYFILE SELECTOR DOMAIN
 * HEADER/BODY ALGORITHM < message > signed message (CR LF line ends). */
#include "opendkimfeed.h"

#include <stdio.h>
#include <stdlib.h>
#include <string.h>

static char* readAll(FILE* file, size_t* size)
{
    size_t capacity = 65536;
    char* data = malloc(capacity);
    *size = 0;
    size_t got;
    while ((got = fread(data + *size, 1, capacity - *size, file)) > 0)
    {
        *size += got;
        if (*size == capacity) data = realloc(data, capacity *= 2);
    }
    data[*size] = '\0';
    return data;
}

static dkim_canon_t canon(const char* word)
{
    return strcmp(word, "relaxed") == 0 ? DKIM_CANON_RELAXED : DKIM_CANON_SIMPLE;
}

int main(int argc, char** argv)
{
    if (argc != 6) return 2;
    FILE* keyfile = fopen(argv[1], "rb");
    if (keyfile == NULL) return 2;
    size_t keySize, size;
    char* key = readAll(keyfile, &keySize);
    fclose(keyfile);
    char* message = readAll(stdin, &size);
    char* slash = strchr(argv[4], '/');
    *slash = '\0';
    dkim_alg_t algorithm =
        strcmp(argv[5], "rsa-sha1") == 0 ? DKIM_SIGN_RSASHA1 : DKIM_SIGN_RSASHA256;

    DKIM_STAT status;
    DKIM_LIB* library = dkim_init(NULL, NULL);
    DKIM* dkim = dkim_sign(library, (unsigned char*)"peer", NULL, (unsigned char*)key,
                           (unsigned char*)argv[2], (unsigned char*)argv[3], canon(argv[4]),
                           canon(slash + 1), algorithm, -1, &status);
    free(key);
    if (dkim == NULL)
    {
        fprintf(stderr, "dkim_sign: %s\n", dkim_getresultstr(status));
        return 3;
    }
    if (feedMessage(dkim, message, size) != DKIM_STAT_OK) return 4;
    unsigned char header[4096];
    if (dkim_getsighdr(dkim, header, sizeof header, strlen("DKIM-Signature: ")) != DKIM_STAT_OK)
        return 8;
    printf("DKIM-Signature: %s\r\n", header);
    fwrite(message, 1, size, stdout);
    dkim_free(dkim);
    dkim_close(library);
    free(message);
    return 0;
}
