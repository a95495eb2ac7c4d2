#pragma once
// Events of the W class library. Platform-free.
//
// Every object keeps, per event, a list of handlers. Connecting puts a handler
// in front of those already there; raising calls them from the front and stops
// at the first one that returns true ("handled").

class WObject;

enum class WEventId {
    Start,
    Run,
    End,
    Create,
    QueryClose,
    Close,
    Destroy,
    Click,
    LeftButtonDown,
    Change,
    KeyDown,
    User,
    Timer,
};

// Base of every event's data record. Handlers cast to the record of their event.
struct WEventData {
    virtual ~WEventData() = default;
};

// A handler is a member function of the target object. Handlers of derived
// classes are stored through this common type (see WHandler below).
using WEventHandler = bool (WObject::*)(WObject* source, WEventData* data);

template <class T>
constexpr WEventHandler WHandler(bool (T::*handler)(WObject*, WEventData*))
{
    return static_cast<WEventHandler>(handler);
}

// One row of a connection table: when `source` raises `event`, call
// `handler` on `target`.
struct WEventConnection {
    WObject* source;
    WEventId event;
    WEventHandler handler;
    WObject* target;
};
