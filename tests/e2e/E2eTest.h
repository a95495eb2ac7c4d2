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

    DeviceClient device;
    std::unique_ptr<ProgramUnderTest> program;
};
