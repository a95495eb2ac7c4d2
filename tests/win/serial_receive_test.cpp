// The reader thread and the hand-over of received blocks to the notify window.
#include <cstring>
#include <memory>

#include "serial_fixture.h"

namespace serial_test {
namespace {

// How long the reader is given to show that it does not read on while the
// window still holds a block.
constexpr DWORD kQuietMs = 300;

using Rs232ReceiveTest = SerialPortTest;

TEST_F(Rs232ReceiveTest, WaitingBytesComeInBlocksOf80EachOnlyAfterTheLastWasTaken)
{
    OpenPort();
    // A first byte that the window does not take yet holds the reader, so
    // the 200 bytes that follow are all waiting when it reads again.
    const std::string first = "<";
    const std::string burst = TestBytes(200, 1);
    ASSERT_EQ(device.Write(kPortNumber, first), 1u);
    ASSERT_TRUE(port.WaitForHandOvers(1));
    ASSERT_EQ(device.Write(kPortNumber, burst), burst.size());
    Sleep(kQuietMs);
    EXPECT_EQ(port.HandedOver(), 1) << "the reader read on while the window held its block";

    // Each block is read only once the window has taken the one before.
    const std::vector<int> expected = {1, 80, 80, 40};
    for (std::size_t taken = 1; taken <= expected.size(); ++taken) {
        ASSERT_TRUE(PumpUntil([&] { return window.Events() >= static_cast<int>(taken); }));
        EXPECT_LE(port.HandedOver(), window.Events() + 1) << "more than one block in flight";
    }
    PumpFor(kQuietMs);
    EXPECT_EQ(port.HandedOverCounts(), expected);
    EXPECT_EQ(window.Events(), 4) << "one UserEvent per block";
    ASSERT_EQ(window.Blocks().size(), expected.size());
    for (std::size_t i = 0; i < expected.size(); ++i) {
        EXPECT_EQ(window.Blocks()[i].size(), static_cast<std::size_t>(expected[i])) << "block " << i;
    }
    EXPECT_EQ(window.Joined(), first + burst);
}

TEST_F(Rs232ReceiveTest, OneByteIsABlockOfOne)
{
    OpenPort();
    SendAndReceive("\xE4");
    ASSERT_EQ(window.Blocks().size(), 1u);
    EXPECT_EQ(window.Blocks()[0], "\xE4");
}

TEST_F(Rs232ReceiveTest, CopyReceivedWithoutAPendingBlockFailsAndLeavesTheTokenFree)
{
    OpenPort();
    SendAndReceive("abc");

    // After the block the reader found the queue empty: an empty block,
    // whose token it gives back itself right after storing the count.
    ASSERT_TRUE(PumpUntil([&] { return port.GetReceivedCount() == 0; }));
    PumpFor(kQuietMs);
    char buffer[Rs232Class::kBlockSize];
    std::memset(buffer, '#', sizeof buffer);
    EXPECT_FALSE(port.CopyReceived(buffer));
    EXPECT_EQ(std::string(buffer, 3), "###") << "an empty block copies nothing";

    // The token is still a single one: exactly one block in flight.
    SendAndReceive("defg");
    EXPECT_EQ(window.Blocks().back(), "defg");
    EXPECT_EQ(window.Joined(), "abcdefg");
}

TEST_F(Rs232ReceiveTest, LongStreamArrivesWholeAndInOrder)
{
    OpenPort();
    const std::string stream = TestBytes(20000, 2);
    SendAndReceive(stream);
    PumpFor(50);
    EXPECT_EQ(window.Joined(), stream);
    for (const std::string& block : window.Blocks()) {
        ASSERT_GE(block.size(), 1u);
        ASSERT_LE(block.size(), static_cast<std::size_t>(Rs232Class::kBlockSize));
    }
}

TEST_F(Rs232ReceiveTest, CloseWhileTheWindowHoldsABlockEndsTheReaderAndTheBlockIsStillDelivered)
{
    OpenPort();
    ASSERT_EQ(device.Write(kPortNumber, "H"), 1u);
    ASSERT_TRUE(port.WaitForHandOvers(1));

    port.Close();
    EXPECT_EQ(port.IsConnected(), 0);
    EXPECT_EQ(CountReaderThreads(), 0) << "the reader outlived Close";

    ASSERT_TRUE(PumpUntil([&] { return window.Events() == 1; }));
    EXPECT_EQ(window.Joined(), "H");

    // The window gave the token back: a new connection receives at once.
    OpenPort();
    SendAndReceive("next");
    EXPECT_EQ(window.Joined(), "Hnext");
}

TEST_F(Rs232ReceiveTest, DestroyingTheObjectWhileABlockWaitsEndsTheReader)
{
    auto doomed = std::make_unique<Rs232Class>();
    doomed->SetPort(kPortNumber);
    // No window: the first block is never taken and the reader waits for it.
    ASSERT_NE(doomed->Open(), 0);
    ASSERT_EQ(device.Write(kPortNumber, "x"), 1u);
    ASSERT_TRUE(PumpUntil([&] { return doomed->GetReceivedCount() == 1; }));

    doomed.reset();
    EXPECT_EQ(CountReaderThreads(), 0) << "the destructor returned before its reader ended";

    // The port is free again.
    OpenPort();
    SendAndReceive("ok");
}

} // namespace
} // namespace serial_test
