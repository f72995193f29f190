#include "logging/detail/instructions.h"

#include "logging/detail/instruction.h"

#include "event/loop.h"

namespace Kestrava {
namespace Logging {

Instructions::Instructions(Event::Loop* loop) : _watcher(this) { _watcher.start(loop->loop()); }

void Instructions::add(const std::shared_ptr<Instruction>& instruction)
{
    std::lock_guard<std::mutex> lock(_mutex);
    _pending.push_back(instruction);
    _watcher.synchronize();
}

void Instructions::onSynchronize()
{
    std::vector<std::shared_ptr<Instruction>> taken;
    {
        std::lock_guard<std::mutex> lock(_mutex);
        taken.swap(_pending);
    }
    for (const auto& instruction : taken) instruction->run();
}

} // namespace Logging
} // namespace Kestrava
