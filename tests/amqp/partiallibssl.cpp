// A stand-in libssl that has SSL_CTX_new and nothing else the client
// needs, as a library without some entry point would be.
extern "C" void* SSL_CTX_new(const void*)
{
    return nullptr;
}
