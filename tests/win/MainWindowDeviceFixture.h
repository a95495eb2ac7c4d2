#pragma once
// The main window fixture with a virtual device on COM<Port>: the pty pair is
// made before each test and pulled away after it.
#include "DeviceClient.h"
#include "MainWindowFixture.h"

template <int Port>
class MainWindowDeviceTest : public MainWindowTest {
protected:
    static constexpr int kPort = Port;

    void SetUp() override
    {
        MainWindowTest::SetUp();
        device.Create(kPort);
    }
    void TearDown() override
    {
        MainWindowTest::TearDown();
        device.Remove(kPort);
    }

    DeviceClient device;
};
