#pragma once
// Fixture of the end-to-end tests: the program's registry keys wiped before
// and after each test, a virtual device on COM2, and the program started as a
// process of its own (killed at the end if it still runs).
#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "DeviceClient.h"
#include "E2eEnvironment.h"
#include "ProgramRegistry.h"
#include "ProgramUnderTest.h"
#include "resource_ids.h"

// What the port, line, line-end, periodic and echo controls show.
struct ShownChoices {
    int port = 0;
    int baudrate = 4;
    int databits = 1;
    int stopbits = 0;
    int parity = 0;
    bool lineEndChecked = false;
    int lineEnd = 0;
    bool periodicChecked = false;
    int period = 0;
    bool echo = false;
};

class E2eTest : public ::testing::Test {
protected:
    static constexpr int kPort = 2; // COM2
    // A normal end takes a fraction of a second; this bound is for a hang.
    static constexpr DWORD kExitMs = 5000;

    void SetUp() override
    {
        ProgramRegistry::Wipe();
        device.Create(kPort);
    }

    void TearDown() override
    {
        program.reset();
        ProgramRegistry::Wipe();
        try {
            device.Remove(kPort);
        } catch (const DeviceError&) {
            // already gone (a test that pulled the port away)
        }
    }

    // Starts the program (a second start ends the first one first).
    ProgramUnderTest& Start()
    {
        program.reset();
        program = std::make_unique<ProgramUnderTest>(ProgramPath());
        return *program;
    }

    // Closes the program normally and expects exit code 0 within kExitMs.
    void CloseNormally(bool throughMenu = false)
    {
        ASSERT_TRUE(program);
        DWORD code = 0xFFFF;
        ASSERT_TRUE(program->Close(kExitMs, code, throughMenu)) << "the program did not end in time";
        EXPECT_EQ(code, 0u);
        program.reset();
    }

    // The program shows these choices (the defaults of a first start unless told).
    static void ExpectChoices(ProgramUnderTest& p, const ShownChoices& c = ShownChoices())
    {
        EXPECT_EQ(p.Item(ID_COMBO_COMM).Selection(), c.port);
        EXPECT_EQ(p.Item(ID_COMBO_BAUDRATE).Selection(), c.baudrate);
        EXPECT_EQ(p.Item(ID_COMBO_DATABITS).Selection(), c.databits);
        EXPECT_EQ(p.Item(ID_COMBO_STOPBITS).Selection(), c.stopbits);
        EXPECT_EQ(p.Item(ID_COMBO_PARITY).Selection(), c.parity);
        EXPECT_EQ(p.Item(ID_CHECKBOX_CRLF).IsChecked(), c.lineEndChecked);
        EXPECT_EQ(p.Item(ID_COMBO_CRLF).Selection(), c.lineEnd);
        EXPECT_EQ(p.Item(ID_CHECKBOX_PERIODIC).IsChecked(), c.periodicChecked);
        EXPECT_EQ(p.Item(ID_COMBO_PERIODIC).Selection(), c.period);
        EXPECT_EQ(p.Item(ID_CHECKBOX_ECHO).IsChecked(), c.echo);
    }

    DeviceClient device;
    std::unique_ptr<ProgramUnderTest> program;
};
