// Quoted-printable decoding of any bytes: the same output for any cut, and
// what the encoder writes decodes back, with its line breaks as CR LF.

#include "filter/newlineconverter.h"
#include "filter/quotedprintabledecode.h"
#include "filter/quotedprintableencode.h"

#include "fuzz/filter/cut.h"
#include "tests/filter/support/chain.h"

#include <cstdlib>

using namespace Kestrava::Filter;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    CutInput input(data, size);
    auto decode = Check::stage<QuotedPrintableDecode>();
    std::string whole = Check::throughStage(decode, input.text);
    if (Check::throughPieces(decode, Check::cutAt(input.text, input.cut)) != whole) abort();

    auto encode = Check::stage<QuotedPrintableEncode>();
    std::string encoded = Check::throughPieces(encode, Check::cutAt(input.text, input.cut));
    std::string withCrLf =
        Check::throughStage(Check::stage<NewlineConverter>("\r\n", 0), input.text);
    if (Check::throughStage(decode, encoded) != withCrLf) abort();
    return 0;
}
