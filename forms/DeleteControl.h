#pragma once
// Generated form bases own their controls through plain pointers: delete one
// and clear its pointer.
template <class Control>
void DeleteControl(Control*& control)
{
    delete control;
    control = nullptr;
}
