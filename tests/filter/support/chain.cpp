#include "tests/filter/support/chain.h"

#include <algorithm>

namespace Kestrava
{
namespace Filter
{
namespace Check
{

std::string throughPieces(const MakeStage& make, const std::vector<std::string>& pieces, bool flush)
{
    std::string output;
    String sink(&output);
    {
        std::unique_ptr<Filter> stage = make(&sink);
        for (const std::string& piece : pieces)
            stage->process(piece.data(), piece.size(), false);
        if (flush) stage->flush();
    }
    return output;
}

std::vector<std::string> cutAt(const std::string& text, size_t cut)
{
    return {text.substr(0, cut), text.substr(cut)};
}

std::vector<std::string> cutRandomly(const std::string& text, std::mt19937& random, size_t longest)
{
    std::vector<std::string> pieces;
    std::uniform_int_distribution<size_t> length(0, longest);
    for (size_t start = 0; start < text.size();)
    {
        size_t size = std::min(length(random), text.size() - start);
        pieces.push_back(text.substr(start, size));
        start += size;
    }
    return pieces;
}

std::string randomBytes(std::mt19937& random, size_t size, const std::string& alphabet)
{
    std::uniform_int_distribution<int> byte(0, 255);
    std::uniform_int_distribution<size_t> index(0, alphabet.empty() ? 0 : alphabet.size() - 1);
    std::string bytes;
    for (size_t i = 0; i < size; ++i)
        bytes.push_back(alphabet.empty() ? static_cast<char>(byte(random))
                                         : alphabet[index(random)]);
    return bytes;
}

} // namespace Check
} // namespace Filter
} // namespace Kestrava
