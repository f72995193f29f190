#pragma once

#include "filter/filter.h"
#include "filter/string.h"

#include <functional>
#include <memory>
#include <random>
#include <string>
#include <vector>

namespace Kestrava
{
namespace Filter
{
namespace Check
{

/// Makes the stage under test in front of the given sink.
using MakeStage = std::function<std::unique_ptr<Filter>(Result* next)>;

/// What a new stage writes for `pieces`, given one process() each, then a
/// flush() when asked, then the stage's destruction.
std::string throughPieces(const MakeStage& make, const std::vector<std::string>& pieces,
                          bool flush = true);

/// The same for the whole text in one piece.
inline std::string throughStage(const MakeStage& make, const std::string& text, bool flush = true)
{
    return throughPieces(make, std::vector<std::string>{text}, flush);
}

/// The text cut at `cut`.
std::vector<std::string> cutAt(const std::string& text, size_t cut);

/// The text cut at random places into pieces of 0 to `longest` bytes.
std::vector<std::string> cutRandomly(const std::string& text, std::mt19937& random, size_t longest);

/// Random bytes, or random bytes from `alphabet` when it is not empty.
std::string randomBytes(std::mt19937& random, size_t size, const std::string& alphabet = "");

/// Makes a stage of type T before the sink, with the other arguments after it.
template <typename T, typename... Arguments> MakeStage stage(Arguments... arguments)
{
    return [=](Result* next) { return std::make_unique<T>(next, arguments...); };
}

} // namespace Check
} // namespace Filter
} // namespace Kestrava
