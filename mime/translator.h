#pragma once

#include "filter/filter.h"

#include <memory>
#include <utility>
#include <vector>

namespace Kestrava
{
namespace Mime
{

/**
 * A chain of stages built in front of a sink and owned as one stage: what
 * it is given goes to the last stage added. Its destruction takes the
 * stages down from the last added to the first, so that each one flushes
 * into a stage that still exists.
 */
class Translator : public Filter::Filter
{
public:
    /// `sink` is not owned and must outlive the translator.
    explicit Translator(Filter::Result* sink) : Filter(sink), _head(sink) {}
    ~Translator() override;

    /// Puts a new stage in front, built from the current head and the
    /// arguments that follow it.
    template <typename Stage, typename... Arguments> void add(Arguments&&... arguments)
    {
        push(std::make_unique<Stage>(_head, std::forward<Arguments>(arguments)...));
    }

    /// Puts the decoder of a transfer encoding in front (none for the
    /// identity encodings).
    void addDecoder(int encoding);

    using Filter::process;
    size_t process(const char* data, size_t size, bool final) override;
    size_t flush() override;

private:
    void push(std::unique_ptr<Filter::Result> stage);

    Filter::Result* _head;
    std::vector<std::unique_ptr<Filter::Result>> _stages;
};

} // namespace Mime
} // namespace Kestrava
