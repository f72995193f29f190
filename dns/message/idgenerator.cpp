#include "dns/message/idgenerator.h"

#include <mutex>

namespace DNS
{

IdGenerator::IdGenerator() : IdGenerator(std::random_device("default")()) {}

IdGenerator::IdGenerator(unsigned seed) : _engine(seed) {}

unsigned short IdGenerator::generate()
{
    // One lock for every generator keeps them copyable.
    static std::mutex lock;
    std::lock_guard<std::mutex> guard(lock);
    return _distribution(_engine);
}

IdGenerator randomids;

} // namespace DNS
