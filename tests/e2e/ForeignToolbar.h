#pragma once
// The toolbar of another process and the tips of its buttons. A tip is read
// with TTM_GETTEXTA, whose record the message does not carry across
// processes: it is placed in the program's own memory for the call.
#include <windows.h>

#include <string>

#include "ForeignWindow.h"

class ForeignToolbar {
public:
    ForeignToolbar(HANDLE process, ForeignWindow toolbar) : process_(process), toolbar_(toolbar) {}

    int ButtonCount() const;
    // The tip of the button with this command id; throws std::runtime_error
    // when the program's memory cannot be used.
    std::string Tip(int commandId) const;

private:
    HANDLE process_;
    ForeignWindow toolbar_;
};
