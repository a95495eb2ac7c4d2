#include "ApplicationClass.h"

#include "Form1.h"

namespace {
ApplicationClass application;
}

ApplicationClass& TheApplication()
{
    return application;
}

ApplicationClass::ApplicationClass()
{
    Connect(WEventId::Start, this, WHandler(&ApplicationClass::OnStart));
    Connect(WEventId::Run, this, WHandler(&ApplicationClass::OnRun));
    Connect(WEventId::End, this, WHandler(&ApplicationClass::OnEnd));
}

ApplicationClass::~ApplicationClass() = default;

bool ApplicationClass::OnStart(WObject*, WEventData* data)
{
    CreateMainWindow();
    if (!GetMainWindow()) {
        auto* record = static_cast<WApplicationEventData*>(data);
        record->exitCode = -1;
        record->abort = true;
    }
    return true;
}

bool ApplicationClass::OnRun(WObject*, WEventData* data)
{
    static_cast<WApplicationEventData*>(data)->exitCode = RunMessageLoop();
    return true;
}

bool ApplicationClass::OnEnd(WObject*, WEventData*)
{
    DestroyMainWindow();
    return true;
}
