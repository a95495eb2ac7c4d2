#pragma once
// The program's application object: creates the main window at start, runs
// the message loop and destroys the main window at the end.
#include "WExeApplication.h"

class ApplicationClass : public WExeApplication {
public:
    ApplicationClass();
    ~ApplicationClass() override;

private:
    bool OnStart(WObject* source, WEventData* data);
    bool OnRun(WObject* source, WEventData* data);
    bool OnEnd(WObject* source, WEventData* data);
};

// The one application object, constructed during static initialisation.
ApplicationClass& TheApplication();
