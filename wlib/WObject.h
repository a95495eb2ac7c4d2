#pragma once
// Root of the W class library: the event mechanism. Platform-free.
#include "WEvent.h"

#include <cstddef>
#include <vector>

class WObject {
public:
    WObject() = default;
    virtual ~WObject() = default;
    WObject(const WObject&) = delete;
    WObject& operator=(const WObject&) = delete;

    // Put a handler in front of the handlers of this object's event.
    void Connect(WEventId event, WObject* target, WEventHandler handler);
    // Remove the first matching connection; false when there was none.
    bool Disconnect(WEventId event, WObject* target, WEventHandler handler);
    // Call the handlers from the front; true as soon as one returns true.
    bool RaiseEvent(WEventId event, WEventData* data);
    std::size_t HandlerCount(WEventId event) const;

    // Connect or disconnect a whole table, row by row in table order.
    static void ConnectTable(const WEventConnection* rows, std::size_t count);
    static void DisconnectTable(const WEventConnection* rows, std::size_t count);
    template <std::size_t N>
    static void ConnectTable(const WEventConnection (&rows)[N]) { ConnectTable(rows, N); }
    template <std::size_t N>
    static void DisconnectTable(const WEventConnection (&rows)[N]) { DisconnectTable(rows, N); }

private:
    struct Connection {
        WEventId event;
        WObject* target;
        WEventHandler handler;
    };
    bool IsConnected(const Connection& wanted) const;
    std::vector<Connection> connections_; // front = most recently connected
};
