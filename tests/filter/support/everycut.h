#pragma once

#include "tests/filter/support/chain.h"

namespace Kestrava
{
namespace Filter
{
namespace Check
{

/// Expects `expected` from `input` in one piece, cut at every place, and
/// one byte at a time.
void expectForEveryCut(const MakeStage& make, const std::string& input,
                       const std::string& expected);

} // namespace Check
} // namespace Filter
} // namespace Kestrava
