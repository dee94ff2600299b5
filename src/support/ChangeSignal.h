#pragma once

#include <utility>

namespace vorno {

// Stores `value` in `field` and emits `changed` on `owner`, but only when the
// value really moved: an identical value must not repaint or reschedule anything.
// Returns whether it changed.
template<class Owner, class T, class Value>
bool assignAndNotify(Owner *owner, T &field, Value &&value, void (Owner::*changed)())
{
    if (field == value)
        return false;
    field = std::forward<Value>(value);
    (owner->*changed)();
    return true;
}

} // namespace vorno
