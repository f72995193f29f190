#include "dns/message/compressor.h"

#include <arpa/nameser.h>

namespace DNS
{

Compressor::Compressor(unsigned char* message) : _pointers{message, nullptr} {}

int Compressor::add(const char* name, unsigned char* destination, int space)
{
    if (space <= 0) return -1;
    const unsigned char** last = _pointers + sizeof _pointers / sizeof *_pointers;
    return ns_name_compress(name, destination, space, _pointers, last);
}

} // namespace DNS
