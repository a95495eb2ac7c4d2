// Faults and bad input, each a test that can fail: many connect cycles and
// exits while data streams in, the device vanishing, random binary on the
// line, hostile registry values, a port held by another process.
#include "E2eTest.h"

#include <cstdio>
#include <cstdlib>
#include <random>
#include <set>
#include <string>
#include <vector>

#include "DeviceStreamer.h"
#include "HistoryRules.h"
#include "ReceiveFormatter.h"
#include "WHandle.h"
#include "Waiting.h"
#include "resource_ids.h"

namespace {

// The counts after a warm-up may still grow a little without a leak: Wine
// opens some handles lazily, and it serves a pending port wait from a worker
// thread that can outlive the close for a moment. A leak per cycle would
// add one or more per cycle, 100 over the run; these slacks cannot hide that.
constexpr long kHandleSlack = 5;
constexpr long kThreadSlack = 1;

// CPU a program without work may use over a few seconds: its idle figure
// plus 10 % of one core for the wake-ups of a loaded machine. A reader that
// spins on a dead port uses 75 % and more.
constexpr double kIdleShareOfCore = 0.10;

int32_t Count(const std::string& bytes)
{
    return static_cast<int32_t>(bytes.size());
}

const unsigned char* Bytes(const std::string& bytes)
{
    return reinterpret_cast<const unsigned char*>(bytes.data());
}

// CPU time the program uses over the next periodMs.
double CpuOver(ProgramUnderTest& p, DWORD periodMs)
{
    const double before = p.Process().CpuTimeMs();
    Sleep(periodMs);
    return p.Process().CpuTimeMs() - before;
}

class Faults : public E2eTest {
protected:
    ProgramUnderTest& StartConnected(int baudIndex = 7)
    {
        ProgramUnderTest& p = Start();
        p.ChoosePort(kPort);
        p.ChooseLine(baudIndex, 1, 0, 0);
        std::string message;
        EXPECT_TRUE(p.Connect(&message)) << message;
        return p;
    }
};

TEST_F(Faults, HundredConnectStreamDisconnectCyclesLeaveNoHandlesOrThreadsBehind)
{
    ProgramUnderTest& p = Start();
    p.ChoosePort(kPort);
    const std::string block(2048, 'c');
    auto cycle = [&](int i) {
        std::string message;
        ASSERT_TRUE(p.Connect(&message)) << "cycle " << i << ": " << message;
        const std::size_t before = p.LogLength();
        ASSERT_EQ(device.Write(kPort, block), block.size());
        // Disconnect while the rest of the block is still coming in.
        ASSERT_TRUE(WaitUntil([&] { return p.LogLength() > before; }, ProgramUnderTest::kReactionMs)) << "cycle " << i;
        ASSERT_TRUE(p.Disconnect()) << "cycle " << i;
        if (i % 10 == 9) {
            ASSERT_TRUE(p.ClearLog());
        }
    };
    for (int i = 0; i < 5; ++i) ASSERT_NO_FATAL_FAILURE(cycle(i)); // warm-up
    const long handlesBefore = p.Process().HandleCount();
    const long threadsBefore = p.Process().ThreadCount();
    ASSERT_GT(handlesBefore, 0);
    ASSERT_GT(threadsBefore, 0);

    for (int i = 0; i < 100; ++i) ASSERT_NO_FATAL_FAILURE(cycle(i));

    EXPECT_TRUE(p.Main().Answers());
    long threadsAfter = 0;
    WaitUntil([&] { return (threadsAfter = p.Process().ThreadCount()) <= threadsBefore; }, 2000, 50);
    const long handlesAfter = p.Process().HandleCount();
    std::printf("handles %ld -> %ld, threads %ld -> %ld over 100 cycles\n", handlesBefore, handlesAfter, threadsBefore,
                threadsAfter);
    EXPECT_LE(handlesAfter, handlesBefore + kHandleSlack);
    EXPECT_LE(threadsAfter, threadsBefore + kThreadSlack);

    // Still a working connection.
    std::string message;
    ASSERT_TRUE(p.Connect(&message)) << message;
    device.Write(kPort, "Ende\r\n");
    EXPECT_TRUE(p.WaitForLogEnd("Ende\r\n"));
    CloseNormally();
    EXPECT_FALSE(device.Modem(kPort).dtr);
}

TEST_F(Faults, TwentyExitsWhileStreamingEndWithCodeZeroAndSaveTheSettings)
{
    for (int i = 0; i < 20; ++i) {
        SCOPED_TRACE("exit " + std::to_string(i));
        ProgramUnderTest& p = StartConnected(i % 8);
        DeviceStreamer stream(kPort);
        ASSERT_TRUE(WaitUntil([&] { return p.Log().find("stream line") != std::string::npos; },
                              ProgramUnderTest::kReactionMs));
        ASSERT_NO_FATAL_FAILURE(CloseNormally(i % 2 == 1));
        stream.Stop();
        EXPECT_EQ(stream.Failure(), "");
        EXPECT_FALSE(device.Modem(kPort).dtr);
        EXPECT_EQ(ProgramRegistry::Setting("COM").Dword(), kPort - 1);
        EXPECT_EQ(ProgramRegistry::Setting("Baudrate").Dword(), i % 8);
        EXPECT_TRUE(ProgramRegistry::Setting("Echo").IsTerminatedText());
    }
}

TEST_F(Faults, DeviceVanishesWhileConnected)
{
    ProgramUnderTest& p = StartConnected();
    device.Write(kPort, "vorher\r\n");
    ASSERT_TRUE(p.WaitForLogEnd("vorher\r\n"));
    const double idleMs = CpuOver(p, 2000);
    ASSERT_GE(idleMs, 0.0) << "no CPU figures for the program";

    device.Remove(kPort);
    Sleep(300);
    EXPECT_TRUE(p.Main().Answers(2000)) << "the window does not answer with the port gone";
    const DWORD periodMs = 3000;
    const double goneMs = CpuOver(p, periodMs);
    std::printf("CPU while connected and idle: %.0f ms in 2 s; with the device gone: %.0f ms in %lu ms\n", idleMs,
                goneMs, periodMs);
    EXPECT_LE(goneMs, idleMs * periodMs / 2000 + kIdleShareOfCore * periodMs);

    // Sending to the vanished port neither hangs nor crashes.
    p.SetSendText("ins Leere");
    p.PressSend();
    // The text joins the history after the write: the press was handled.
    EXPECT_TRUE(WaitUntil([&] { return p.Item(ID_MAGICCOMBO_SEND).ItemCount() == 1; }, 5000));
    EXPECT_TRUE(p.Main().Answers(2000));

    ASSERT_TRUE(p.Disconnect());
    device.Create(kPort);
    std::string message;
    ASSERT_TRUE(p.Connect(&message)) << message;
    device.Write(kPort, "wieder da\r\n");
    EXPECT_TRUE(p.WaitForLogEnd("wieder da\r\n"));
    p.SetSendText("hallo");
    p.PressSend();
    EXPECT_EQ(device.Read(kPort, 5, 5000), "hallo");
    CloseNormally();
    EXPECT_FALSE(device.Modem(kPort).dtr);
}

// Random binary on the line, shown in ASCII and then in HEX mode, compared
// with what the display rules give for the same bytes. The stream goes in
// segments small enough that their text fits the log (65535 characters):
// each segment is sent, waited for until the log holds all of its text,
// compared exactly, and the log is emptied ("Ausgabefeld löschen") before
// the next. Nothing is in flight while the log is read and emptied, so every
// byte is compared. The length per mode is LF_E2E_STREAM_BYTES (default
// 192 KiB): the program shows about 10 to 20 kB/s here, so 10 MB per mode
// (LF_E2E_STREAM_BYTES=10485760) takes many minutes and is for a soak run.
class RandomStream : public Faults {
protected:
    static std::size_t BytesPerMode()
    {
        const char* text = std::getenv("LF_E2E_STREAM_BYTES");
        const unsigned long long wanted = text ? std::strtoull(text, nullptr, 10) : 0;
        return wanted > 0 ? static_cast<std::size_t>(wanted) : 192u * 1024u;
    }

    // Streams `total` random bytes in segments; false after the first mismatch.
    void StreamAndCompare(ProgramUnderTest& p, ReceiveFormatter& rules, std::mt19937& random, std::size_t total,
                          std::size_t segmentBytes, const char* mode)
    {
        std::uniform_int_distribution<int> byte(0, 255);
        for (std::size_t sent = 0, segment = 0; sent < total; sent += segmentBytes, ++segment) {
            std::string bytes(std::min(segmentBytes, total - sent), '\0');
            for (char& b : bytes) b = static_cast<char>(byte(random));
            const std::string expected = rules.Format(Bytes(bytes), Count(bytes)).str();
            ASSERT_LT(expected.size(), 65535u);
            for (std::size_t taken = 0; taken < bytes.size();) {
                const std::size_t n = device.Write(kPort, bytes.substr(taken));
                if (n == 0) Sleep(10);
                taken += n;
            }
            // Generous: the time the program needs for a segment at a slow 2 kB/s.
            const DWORD boundMs = 10000 + static_cast<DWORD>(bytes.size() / 2);
            WaitUntil([&] { return p.LogLength() >= expected.size(); }, boundMs, 20);
            Sleep(50); // anything beyond the expected text would show now
            const std::string shown = p.Log();
            if (shown != expected) {
                std::size_t at = 0;
                while (at < shown.size() && at < expected.size() && shown[at] == expected[at]) ++at;
                FAIL() << mode << " segment " << segment << " (stream offset " << sent << "): log has " << shown.size()
                       << " characters, the rules give " << expected.size() << "; first difference at " << at
                       << ": shown \"" << Escaped(shown.substr(at, 24)) << "\", expected \""
                       << Escaped(expected.substr(at, 24)) << "\"";
            }
            ASSERT_TRUE(p.ClearLog());
        }
    }

    static std::string Escaped(const std::string& text)
    {
        std::string out;
        for (unsigned char c : text) {
            char hex[8];
            std::snprintf(hex, sizeof hex, c >= 0x20 && c < 0x7F ? "%c" : "\\x%02X", c);
            out += hex;
        }
        return out;
    }
};

TEST_F(RandomStream, ShownAsTheDisplayRulesSayInAsciiAndHexMode)
{
    const std::size_t total = BytesPerMode();
    std::mt19937 random(20240611u);
    ProgramUnderTest& p = StartConnected();
    ASSERT_TRUE(p.ClearLog());
    ReceiveFormatter rules; // the program's display state at start: ASCII, column 0
    const DWORD start = GetTickCount();
    // ASCII: at most 80 + 2 characters per 80 bytes, so 48000 bytes fit the log.
    ASSERT_NO_FATAL_FAILURE(StreamAndCompare(p, rules, random, total, 48000, "ASCII"));
    const DWORD asciiMs = GetTickCount() - start;

    ASSERT_TRUE(p.ToggleHexMode(true));
    EXPECT_EQ(rules.ToggleHexMode().str(), ProgramUnderTest::kHexHeadline);
    ASSERT_TRUE(p.ClearLog());
    // HEX: 68 characters per 16 bytes, so 14000 bytes fit the log.
    ASSERT_NO_FATAL_FAILURE(StreamAndCompare(p, rules, random, total, 14000, "HEX"));
    const DWORD hexMs = GetTickCount() - start - asciiMs;
    std::printf("%zu random bytes per mode: ASCII %lu ms, HEX %lu ms\n", total, asciiMs, hexMs);
    EXPECT_TRUE(p.Main().Answers());
    CloseNormally();
}

TEST_F(Faults, HostileRegistryValuesGiveDefaultsAndASaneSave)
{
    const std::string huge(1 << 20, 'A');
    const std::string maxEntry(HistoryRules::MaxEntryLength, 'm');
    const std::string tooLong(HistoryRules::MaxEntryLength + 1, 'r');
    struct Hostile {
        std::string name;
        DWORD type;
        std::string bytes;
    };
    const Hostile settings[] = {
        {"COM", REG_SZ, ProgramRegistry::TextBytes("3")},
        {"Baudrate", REG_BINARY, std::string(1 << 20, '\x07')},
        {"Stopbits", REG_DWORD, std::string("\x01\x00", 2)},
        {"Parity", REG_QWORD, std::string("\x02\x00\x00\x00\x00\x00\x00\x00", 8)},
        {"Databits", REG_EXPAND_SZ, ProgramRegistry::TextBytes("7")},
        {"CRLF", REG_MULTI_SZ, std::string("2\0\0", 3)},
        {"Periodic", REG_DWORD_BIG_ENDIAN, std::string("\x00\x00\x00\x03", 4)},
        {"RSSend0", REG_SZ, "ohne Ende"}, // no NUL
        {"RSSend1", REG_BINARY, huge},    // 1 MB, no NUL
        {"RSSend2", REG_DWORD, std::string("ABC\0", 4)},
        {"RSSend3", REG_BINARY, std::string("\0xyz", 4)},
        {"RSSend4", REG_MULTI_SZ, std::string("a\0b\0\0", 5)},
        {"COMActive", REG_SZ, "TRUE"},                   // no NUL
        {"Echo", REG_BINARY, std::string(1 << 20, 'T')}, // not "TRUE"
    };
    for (const Hostile& h : settings) ASSERT_TRUE(ProgramRegistry::WriteSetting(h.name, h.type, h.bytes)) << h.name;
    const Hostile history[] = {
        {"history_entry_00000", REG_SZ, ProgramRegistry::TextBytes("erster Eintrag")},
        {"zahl", REG_DWORD, std::string("ABC\0", 4)},
        {"ohne_null", REG_SZ, "kein Ende"},
        {"binaer", REG_BINARY, "\x01\x02xyz"},
        {"laengster", REG_SZ, ProgramRegistry::TextBytes(maxEntry)},
        {"zu_lang", REG_BINARY, tooLong},
        {"leer", REG_SZ, std::string(1, '\0')},
        {"multi", REG_MULTI_SZ, std::string("eins\0zwei\0\0", 11)},
        {"null_vorn", REG_BINARY, std::string("\0abc", 4)},
        {"qword", REG_QWORD, "12345678"},
        {std::string(16000, 'n'), REG_SZ, ProgramRegistry::TextBytes("langer Name")},
    };
    for (const Hostile& h : history) {
        ASSERT_TRUE(ProgramRegistry::WriteHistory(h.name, h.type, h.bytes)) << h.name.substr(0, 20);
    }
    const std::multiset<std::string> loadable = {"erster Eintrag", "ABC",  "kein Ende", "\x01\x02xyz", maxEntry,
                                                 "eins",           "12345678", "langer Name"};

    // The program starts, with the defaults where the values are unusable.
    ProgramUnderTest& p = Start();
    EXPECT_TRUE(p.Main().Answers());
    EXPECT_EQ(p.Log(), ProgramUnderTest::kAsciiHeadline);
    ExpectChoices(p);
    // Texts are the bytes up to the first NUL, whatever the type.
    EXPECT_EQ(p.Toolbar().Tip(102), "ohne Ende");
    // Wine's TTM_GETTEXTA hands out at most 80 characters of a tip.
    const std::string hugeTip = p.Toolbar().Tip(103);
    EXPECT_GE(hugeTip.size(), 80u);
    EXPECT_EQ(hugeTip, huge.substr(0, hugeTip.size()));
    EXPECT_EQ(p.Toolbar().Tip(104), "ABC");
    EXPECT_EQ(p.Toolbar().Tip(105), "");
    EXPECT_EQ(p.Toolbar().Tip(106), "a");
    const ForeignWindow combo = p.Item(ID_MAGICCOMBO_SEND);
    ASSERT_EQ(combo.ItemCount(), static_cast<int>(loadable.size()));
    std::vector<std::string> listed;
    for (int i = 0; i < combo.ItemCount(); ++i) listed.push_back(combo.ItemText(i));
    EXPECT_EQ(std::multiset<std::string>(listed.begin(), listed.end()), loadable);
    EXPECT_EQ(p.SendText(), listed.front());
    CloseNormally();

    // A sane save: the right types, the defaults, the texts as loaded.
    const std::pair<const char*, int32_t> ints[] = {{"COM", 0},    {"Baudrate", 4}, {"Stopbits", 0}, {"Parity", 0},
                                                    {"Databits", 1}, {"CRLF", 0},   {"Periodic", 0}};
    for (const auto& [name, value] : ints) {
        const ProgramRegistry::Value stored = ProgramRegistry::Setting(name);
        EXPECT_TRUE(stored.IsDword()) << name;
        EXPECT_EQ(stored.Dword(), value) << name;
    }
    const std::pair<const char*, std::string> texts[] = {{"RSSend0", "ohne Ende"}, {"RSSend1", huge}, {"RSSend2", "ABC"},
                                                         {"RSSend3", ""},          {"RSSend4", "a"},  {"COMActive", "TRUE"},
                                                         {"Echo", "FALSE"}};
    for (const auto& [name, text] : texts) {
        const ProgramRegistry::Value stored = ProgramRegistry::Setting(name);
        EXPECT_TRUE(stored.IsTerminatedText()) << name;
        EXPECT_TRUE(stored.Text() == text) << name << " holds " << stored.Text().size() << " bytes";
    }
    const std::vector<std::string> names = ProgramRegistry::ValueNames(HKEY_CURRENT_USER, ProgramRegistry::kHistoryKey);
    ASSERT_EQ(names.size(), listed.size());
    for (std::size_t i = 0; i < names.size(); ++i) {
        char name[32];
        std::snprintf(name, sizeof name, "history_entry_%.5u", static_cast<unsigned>(i));
        EXPECT_EQ(names[i], name);
        const ProgramRegistry::Value stored = ProgramRegistry::History(name);
        EXPECT_TRUE(stored.IsTerminatedText()) << name;
        EXPECT_TRUE(stored.Text() == listed[i]) << name;
    }
}

TEST_F(Faults, PortHeldByAnotherProcessShowsTheMessageAndChangesNothing)
{
    WFileHandle holder(CreateFileA("\\\\.\\COM2", GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING,
                                   FILE_FLAG_OVERLAPPED, nullptr));
    ASSERT_TRUE(holder) << "the test cannot open COM2 itself, error " << GetLastError();

    ProgramUnderTest& p = Start();
    p.ChoosePort(kPort);
    p.ChooseLine(2, 0, 1, 2); // 4800 7O2
    const HANDLE plugApart = p.Item(ID_PICTBTTN_1).Picture();
    std::string message;
    EXPECT_FALSE(p.Connect(&message));
    EXPECT_EQ(message, "Fehler: RS-232 konnte nicht verbunden werden!");
    EXPECT_TRUE(p.PortChoicesEnabled());
    EXPECT_EQ(p.Item(ID_PICTBTTN_1).Picture(), plugApart);
    EXPECT_EQ(p.Log(), ProgramUnderTest::kAsciiHeadline);
    EXPECT_TRUE(p.Main().Answers());
    EXPECT_TRUE(p.Windows().MessageBoxes().empty());

    // Free again, the same port connects.
    holder.Reset();
    ASSERT_TRUE(p.Connect(&message)) << message;
    EXPECT_EQ(device.Termios(kPort).baud, 4800u);
    ASSERT_TRUE(p.Disconnect());
    CloseNormally();
    EXPECT_EQ(ProgramRegistry::Setting("COM").Dword(), 1);
    EXPECT_EQ(ProgramRegistry::Setting("Baudrate").Dword(), 2);
    EXPECT_EQ(ProgramRegistry::Setting("Databits").Dword(), 0);
    EXPECT_EQ(ProgramRegistry::Setting("Stopbits").Dword(), 1);
    EXPECT_EQ(ProgramRegistry::Setting("Parity").Dword(), 2);
}

} // namespace
