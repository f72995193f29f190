#include "event/mainloop.h"

namespace Kestrava {
namespace Event {

MainLoop::MainLoop() : Loop(ev_default_loop(0)) {}

MainLoop* MainLoop::instance()
{
    // Deliberately leaked: the default loop lives as long as the process.
    static MainLoop* instance = new MainLoop();
    return instance;
}

} // namespace Event
} // namespace Kestrava
