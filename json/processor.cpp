#include "json/processor.h"

namespace Kestrava {
namespace JSON {

size_t dump2processor(void* processor, const char* data, size_t size)
{
    return static_cast<Processor*>(processor)->process(data, size);
}

} // namespace JSON
} // namespace Kestrava
