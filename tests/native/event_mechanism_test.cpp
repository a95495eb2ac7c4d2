// The event mechanism: order of handlers, the stop rule, tables.
#include <gtest/gtest.h>

#include <string>

#include "WObject.h"

namespace {

class Recorder : public WObject {
public:
    explicit Recorder(std::string* log) : log_(log) {}
    bool First(WObject*, WEventData*) { *log_ += "1"; return result1; }
    bool Second(WObject*, WEventData*) { *log_ += "2"; return result2; }
    bool Third(WObject*, WEventData*) { *log_ += "3"; return false; }
    bool result1 = false;
    bool result2 = false;

private:
    std::string* log_;
};

// A handler that disconnects another handler of the same event while the
// event is being raised (a form's destroy handler does this).
class Disconnector : public WObject {
public:
    Disconnector(WObject* source, Recorder* victim) : source_(source), victim_(victim) {}
    bool Run(WObject*, WEventData*)
    {
        source_->Disconnect(WEventId::Destroy, victim_, WHandler(&Recorder::First));
        return false;
    }

private:
    WObject* source_;
    Recorder* victim_;
};

struct StopCase {
    bool result1;
    bool result2;
    const char* expectedLog;
    bool expectedHandled;
};

class EventStopRule : public ::testing::TestWithParam<StopCase> {};

TEST_P(EventStopRule, LaterConnectedRunsFirstAndTrueStops)
{
    const StopCase& c = GetParam();
    std::string log;
    WObject source;
    Recorder target(&log);
    target.result1 = c.result1;
    target.result2 = c.result2;
    source.Connect(WEventId::Click, &target, WHandler(&Recorder::First));
    source.Connect(WEventId::Click, &target, WHandler(&Recorder::Second));
    source.Connect(WEventId::Change, &target, WHandler(&Recorder::Third)); // another event: never runs
    WEventData data;
    EXPECT_EQ(source.RaiseEvent(WEventId::Click, &data), c.expectedHandled);
    EXPECT_EQ(log, c.expectedLog);
}

INSTANTIATE_TEST_SUITE_P(Cases, EventStopRule,
                         ::testing::Values(StopCase{false, false, "21", false}, StopCase{false, true, "2", true},
                                           StopCase{true, false, "21", true}, StopCase{true, true, "2", true}));

TEST(EventMechanism, TablesConnectAndDisconnectRowByRow)
{
    std::string log;
    WObject a;
    WObject b;
    Recorder target(&log);
    const WEventConnection rows[] = {
        {&a, WEventId::Click, WHandler(&Recorder::First), &target},
        {&a, WEventId::Click, WHandler(&Recorder::Second), &target},
        {&b, WEventId::Timer, WHandler(&Recorder::Third), &target},
        {nullptr, WEventId::Timer, WHandler(&Recorder::Third), &target}, // a missing source is skipped
    };
    WObject::ConnectTable(rows);
    WEventData data;
    a.RaiseEvent(WEventId::Click, &data);
    b.RaiseEvent(WEventId::Timer, &data);
    EXPECT_EQ(log, "213");

    WObject::DisconnectTable(rows);
    log.clear();
    a.RaiseEvent(WEventId::Click, &data);
    b.RaiseEvent(WEventId::Timer, &data);
    EXPECT_EQ(log, "");
    EXPECT_EQ(a.HandlerCount(WEventId::Click), 0u);
}

TEST(EventMechanism, HandlerDisconnectedDuringRaiseDoesNotRun)
{
    std::string log;
    WObject source;
    Recorder victim(&log);
    Disconnector disconnector(&source, &victim);
    source.Connect(WEventId::Destroy, &victim, WHandler(&Recorder::First));
    source.Connect(WEventId::Destroy, &disconnector, WHandler(&Disconnector::Run));
    WEventData data;
    source.RaiseEvent(WEventId::Destroy, &data);
    EXPECT_EQ(log, "");
}

TEST(EventMechanism, DisconnectRemovesOneConnectionOnly)
{
    std::string log;
    WObject source;
    Recorder target(&log);
    source.Connect(WEventId::Click, &target, WHandler(&Recorder::First));
    source.Connect(WEventId::Click, &target, WHandler(&Recorder::First));
    EXPECT_TRUE(source.Disconnect(WEventId::Click, &target, WHandler(&Recorder::First)));
    WEventData data;
    source.RaiseEvent(WEventId::Click, &data);
    EXPECT_EQ(log, "1");
    EXPECT_TRUE(source.Disconnect(WEventId::Click, &target, WHandler(&Recorder::First)));
    EXPECT_FALSE(source.Disconnect(WEventId::Click, &target, WHandler(&Recorder::First)));
}

} // namespace
