// A program whose main window cannot be created (this test executable has no
// window template) ends at once with exit code -1 and shows no message.
#include <gtest/gtest.h>

#include <windows.h>

#include "ApplicationClass.h"
#include "Form1.h"
#include "MessageBoxWatcher.h"

TEST(StartupFailure, NoWindowMeansExitCodeMinusOneWithoutAMessage)
{
    MessageBoxWatcher watcher;
    const int exitCode = TheApplication().Main(GetModuleHandleA(nullptr));
    EXPECT_EQ(exitCode, -1);
    EXPECT_EQ(GetMainWindow(), nullptr);
    EXPECT_EQ(GetSerialPort(), nullptr);
    EXPECT_EQ(watcher.Count(), 0u);
}
