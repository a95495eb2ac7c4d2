#include "WObject.h"

void WObject::Connect(WEventId event, WObject* target, WEventHandler handler)
{
    if (!target || !handler) return;
    connections_.insert(connections_.begin(), Connection{event, target, handler});
}

bool WObject::Disconnect(WEventId event, WObject* target, WEventHandler handler)
{
    for (auto it = connections_.begin(); it != connections_.end(); ++it) {
        if (it->event == event && it->target == target && it->handler == handler) {
            connections_.erase(it);
            return true;
        }
    }
    return false;
}

bool WObject::RaiseEvent(WEventId event, WEventData* data)
{
    // A handler may connect or disconnect handlers of this very event (a form's
    // destroy handler does), so the walk goes over a snapshot of the list.
    std::vector<Connection> snapshot;
    for (const Connection& c : connections_) {
        if (c.event == event) snapshot.push_back(c);
    }
    for (const Connection& c : snapshot) {
        // Skip a handler that an earlier one disconnected: its target may be gone.
        if (!IsConnected(c)) continue;
        if ((c.target->*(c.handler))(this, data)) return true;
    }
    return false;
}

bool WObject::IsConnected(const Connection& wanted) const
{
    for (const Connection& c : connections_) {
        if (c.event == wanted.event && c.target == wanted.target && c.handler == wanted.handler) return true;
    }
    return false;
}

std::size_t WObject::HandlerCount(WEventId event) const
{
    std::size_t n = 0;
    for (const Connection& c : connections_) {
        if (c.event == event) ++n;
    }
    return n;
}

void WObject::ConnectTable(const WEventConnection* rows, std::size_t count)
{
    for (std::size_t i = 0; i < count; ++i) {
        if (rows[i].source) rows[i].source->Connect(rows[i].event, rows[i].target, rows[i].handler);
    }
}

void WObject::DisconnectTable(const WEventConnection* rows, std::size_t count)
{
    for (std::size_t i = 0; i < count; ++i) {
        if (rows[i].source) rows[i].source->Disconnect(rows[i].event, rows[i].target, rows[i].handler);
    }
}
