#include "dns/lookup/lookupqueue.h"

#include "dns/lookup/lookup.h"

#include <cassert>

namespace DNS
{

LookupQueue::~LookupQueue()
{
    while (Lookup* lookup = _front)
    {
        remove(lookup);
        delete lookup;
    }
}

void LookupQueue::pushBack(Lookup* lookup)
{
    assert(lookup->_queue == nullptr);
    lookup->_queue = this;
    lookup->_previous = _back;
    lookup->_next = nullptr;
    (_back ? _back->_next : _front) = lookup;
    _back = lookup;
}

void LookupQueue::pushFront(Lookup* lookup)
{
    assert(lookup->_queue == nullptr);
    lookup->_queue = this;
    lookup->_previous = nullptr;
    lookup->_next = _front;
    (_front ? _front->_previous : _back) = lookup;
    _front = lookup;
}

void LookupQueue::remove(Lookup* lookup)
{
    assert(lookup->_queue == this);
    (lookup->_previous ? lookup->_previous->_next : _front) = lookup->_next;
    (lookup->_next ? lookup->_next->_previous : _back) = lookup->_previous;
    lookup->_queue = nullptr;
    lookup->_previous = lookup->_next = nullptr;
}

} // namespace DNS
