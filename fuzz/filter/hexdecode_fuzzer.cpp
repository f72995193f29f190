// Percent-decoding of any bytes: the same output for any cut, and what the
// RFC 2231 encoder writes decodes back.

#include "filter/hexdecode.h"
#include "filter/rfc2231.h"

#include "fuzz/filter/cut.h"
#include "tests/filter/support/chain.h"

#include <cstdlib>

using namespace Kestrava::Filter;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    CutInput input(data, size);
    auto decode = Check::stage<HexDecode>();
    std::string whole = Check::throughStage(decode, input.text);
    if (Check::throughPieces(decode, Check::cutAt(input.text, input.cut)) != whole) abort();

    std::string encoded =
        Check::throughPieces(Check::stage<Rfc2231>(), Check::cutAt(input.text, input.cut));
    if (Check::throughStage(decode, encoded) != input.text) abort();
    return 0;
}
