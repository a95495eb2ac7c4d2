#pragma once
// The application object of an .exe program.
#include "WApplication.h"

class WExeApplication : public WApplication {
public:
    WExeApplication() = default;
    ~WExeApplication() override = default;
};
