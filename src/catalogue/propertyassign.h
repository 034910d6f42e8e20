#pragma once

// Stores a property's new value and emits its change signal, only when the
// value really changes, so that views bound to the property are not redrawn for nothing.
template <typename Object, typename T, typename Signal>
void assignProperty(Object *object, T &member, const T &value, Signal changed)
{
    if (member == value)
        return;
    member = value;
    emit(object->*changed)(member);
}
