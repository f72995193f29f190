// Base64 decoding of any bytes: the same output for any cut, and what the
// encoder writes decodes back.

#include "filter/base64decode.h"
#include "filter/base64encode.h"

#include "fuzz/filter/cut.h"
#include "tests/filter/support/chain.h"

#include <cstdlib>

using namespace Kestrava::Filter;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    CutInput input(data, size);
    auto decode = [](Result* next) { return std::make_unique<Base64Decode>(false, next); };
    std::string whole = Check::throughStage(decode, input.text);
    if (Check::throughPieces(decode, Check::cutAt(input.text, input.cut)) != whole) abort();

    auto encode = Check::stage<Base64Encode>();
    std::string encoded = Check::throughPieces(encode, Check::cutAt(input.text, input.cut));
    if (Check::throughStage(decode, encoded) != input.text) abort();
    return 0;
}
