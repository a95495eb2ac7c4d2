#include "serial_fixture.h"

#include <tlhelp32.h>

#include <algorithm>
#include <cwchar>

#include "WEventData.h"

namespace serial_test {

namespace {

// NtQuerySystemInformation(SystemHandleInformation): one entry per handle
// of every process. (GetProcessHandleCount answers 0 under Wine.)
constexpr ULONG kSystemHandleInformation = 16;
constexpr LONG kStatusInfoLengthMismatch = static_cast<LONG>(0xC0000004);

struct SystemHandleEntry {
    ULONG ownerPid;
    BYTE objectType;
    BYTE flags;
    USHORT handleValue;
    PVOID object;
    ACCESS_MASK access;
};

struct SystemHandleTable {
    ULONG_PTR count;
    SystemHandleEntry entries[1];
};

template <class Function>
Function NtdllFunction(const char* name)
{
    FARPROC entry = GetProcAddress(GetModuleHandleA("ntdll.dll"), name);
    return reinterpret_cast<Function>(reinterpret_cast<void*>(entry));
}

template <class Function>
Function Kernel32Function(const char* name)
{
    FARPROC entry = GetProcAddress(GetModuleHandleA("kernel32.dll"), name);
    return reinterpret_cast<Function>(reinterpret_cast<void*>(entry));
}

bool IsReaderThread(DWORD threadId)
{
    using GetDescription = HRESULT(WINAPI*)(HANDLE, PWSTR*);
    static const GetDescription getDescription = Kernel32Function<GetDescription>("GetThreadDescription");
    if (getDescription == nullptr) {
        return false;
    }
    WKernelHandle thread(OpenThread(THREAD_QUERY_LIMITED_INFORMATION, FALSE, threadId));
    PWSTR description = nullptr;
    if (!thread || FAILED(getDescription(thread.Get(), &description)) || description == nullptr) {
        return false;
    }
    const bool reader = std::wcscmp(description, Rs232Class::kReaderThreadName) == 0;
    LocalFree(description);
    return reader;
}

std::vector<DWORD> ReaderThreadIds()
{
    std::vector<DWORD> ids;
    WKernelHandle snapshot(CreateToolhelp32Snapshot(TH32CS_SNAPTHREAD, 0));
    THREADENTRY32 entry{};
    entry.dwSize = sizeof entry;
    if (!snapshot || !Thread32First(snapshot.Get(), &entry)) {
        return ids;
    }
    do {
        if (entry.th32OwnerProcessID == GetCurrentProcessId() && IsReaderThread(entry.th32ThreadID)) {
            ids.push_back(entry.th32ThreadID);
        }
    } while (Thread32Next(snapshot.Get(), &entry));
    return ids;
}

} // namespace

bool PumpUntil(const std::function<bool()>& done, DWORD limitMs)
{
    const ULONGLONG end = GetTickCount64() + limitMs;
    for (;;) {
        MSG message;
        while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
            TranslateMessage(&message);
            DispatchMessageA(&message);
        }
        if (done()) {
            return true;
        }
        const ULONGLONG now = GetTickCount64();
        if (now >= end) {
            return false;
        }
        // Woken by a new message; the short slice also covers conditions
        // that change in another thread.
        MsgWaitForMultipleObjects(0, nullptr, FALSE, static_cast<DWORD>(std::min<ULONGLONG>(end - now, 20)), QS_ALLINPUT);
    }
}

void PumpFor(DWORD milliseconds)
{
    PumpUntil([] { return false; }, milliseconds);
}

int CountReaderThreads()
{
    return static_cast<int>(ReaderThreadIds().size());
}

HANDLE OpenReaderThread()
{
    const std::vector<DWORD> ids = ReaderThreadIds();
    if (ids.size() != 1) {
        return nullptr;
    }
    return OpenThread(THREAD_QUERY_LIMITED_INFORMATION | SYNCHRONIZE, FALSE, ids.front());
}

double ThreadCpuMs(HANDLE thread)
{
    FILETIME created, exited, kernel, user;
    if (!GetThreadTimes(thread, &created, &exited, &kernel, &user)) {
        return -1;
    }
    auto ticks = [](const FILETIME& time) {
        return (static_cast<ULONGLONG>(time.dwHighDateTime) << 32) | time.dwLowDateTime;
    };
    return static_cast<double>(ticks(kernel) + ticks(user)) / 10000.0;
}

long CountProcessHandles()
{
    using QuerySystemInformation = LONG(NTAPI*)(ULONG, PVOID, ULONG, PULONG);
    static const QuerySystemInformation query = NtdllFunction<QuerySystemInformation>("NtQuerySystemInformation");
    if (query == nullptr) {
        return -1;
    }
    std::vector<BYTE> buffer(1 << 20);
    for (int attempt = 0; attempt < 8; ++attempt) {
        ULONG needed = 0;
        const LONG status = query(kSystemHandleInformation, buffer.data(), static_cast<ULONG>(buffer.size()), &needed);
        if (status == kStatusInfoLengthMismatch) {
            buffer.resize(std::max<std::size_t>(buffer.size() * 2, needed + 4096));
            continue;
        }
        if (status != 0) {
            return -1;
        }
        const auto* table = reinterpret_cast<const SystemHandleTable*>(buffer.data());
        long own = 0;
        for (ULONG_PTR i = 0; i < table->count; ++i) {
            if (table->entries[i].ownerPid == GetCurrentProcessId()) {
                ++own;
            }
        }
        return own;
    }
    return -1;
}

std::string TestBytes(std::size_t count, unsigned seed)
{
    std::string bytes(count, '\0');
    for (std::size_t i = 0; i < count; ++i) {
        bytes[i] = static_cast<char>((i * 7 + seed * 31 + i / 256) & 0xFF);
    }
    return bytes;
}

// ---- BlockWindow ----

BlockWindow::BlockWindow(Rs232Class& port)
    : port_(port)
{
    HWND handle = CreateWindowExA(0, "STATIC", "", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, GetModuleHandleA(nullptr), nullptr);
    window_.Attach(handle);
    window_.Connect(WEventId::User, this, WHandler(&BlockWindow::OnUserEvent));
}

BlockWindow::~BlockWindow()
{
    window_.Disconnect(WEventId::User, this, WHandler(&BlockWindow::OnUserEvent));
    HWND handle = window_.GetHandle();
    window_.Detach();
    if (handle != nullptr) {
        DestroyWindow(handle);
    }
}

std::string BlockWindow::Joined() const
{
    std::string all;
    for (const std::string& block : blocks_) {
        all += block;
    }
    return all;
}

bool BlockWindow::OnUserEvent(WObject*, WEventData*)
{
    ++events_;
    char buffer[Rs232Class::kBlockSize];
    const int count = port_.GetReceivedCount();
    port_.CopyReceived(buffer);
    blocks_.emplace_back(buffer, static_cast<std::size_t>(count));
    return true;
}

// ---- ObservedPort ----

ObservedPort::ObservedPort()
    : changed_(CreateEventA(nullptr, FALSE, FALSE, nullptr))
{
}

ObservedPort::~ObservedPort()
{
    // The reader must be gone before this override is.
    Close();
}

int ObservedPort::HandedOver() const
{
    std::lock_guard<std::mutex> lock(mutex_);
    return static_cast<int>(counts_.size());
}

std::vector<int> ObservedPort::HandedOverCounts() const
{
    std::lock_guard<std::mutex> lock(mutex_);
    return counts_;
}

bool ObservedPort::WaitForHandOvers(int count, DWORD limitMs) const
{
    const ULONGLONG end = GetTickCount64() + limitMs;
    while (HandedOver() < count) {
        const ULONGLONG now = GetTickCount64();
        if (now >= end) {
            return false;
        }
        WaitForSingleObject(changed_.Get(), static_cast<DWORD>(end - now));
    }
    return true;
}

void ObservedPort::OnDataReceived()
{
    {
        std::lock_guard<std::mutex> lock(mutex_);
        counts_.push_back(GetReceivedCount());
    }
    SetEvent(changed_.Get());
    Rs232Class::OnDataReceived();
}

// ---- SerialPortTest ----

void SerialPortTest::SetUp()
{
    device.Create(kPortNumber);
    port.SetPort(kPortNumber);
    port.SetNotifyWindow(&window.Window());
}

void SerialPortTest::TearDown()
{
    port.Close();
    device.Remove(kPortNumber);
}

void SerialPortTest::OpenPort()
{
    ASSERT_NE(port.Open(), 0) << "Open of COM" << kPortNumber << " failed";
    ASSERT_EQ(port.IsConnected(), 1);
}

void SerialPortTest::SendAndReceive(const std::string& bytes)
{
    const std::size_t before = window.Joined().size();
    ASSERT_EQ(device.Write(kPortNumber, bytes), bytes.size());
    ASSERT_TRUE(PumpUntil([&] { return window.Joined().size() >= before + bytes.size(); }))
        << "received " << window.Joined().size() - before << " of " << bytes.size() << " bytes";
}

} // namespace serial_test
