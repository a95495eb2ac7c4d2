// Entry of Simple-Leitungsfuchs: hands the module to the application object's
// main routine and returns its exit code.
#include <windows.h>

#include "ApplicationClass.h"

int WINAPI WinMain(HINSTANCE module, HINSTANCE, LPSTR, int)
{
    return TheApplication().Main(module);
}
