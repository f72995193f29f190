#include "dns/message/idgenerator.h"

namespace DNS
{

IdGenerator::IdGenerator() : IdGenerator(std::random_device("default")()) {}

IdGenerator::IdGenerator(unsigned seed) : _engine(seed) {}

IdGenerator randomids;

} // namespace DNS
