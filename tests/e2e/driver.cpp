// The end-to-end driver: processes, windows, controls and registry values of
// the program under test, reached from the test process.
#include "driver.h"

#include "res/resource.h"

#include <shellapi.h>
#include <tlhelp32.h>

#include <algorithm>
#include <cstddef>
#include <cstring>
#include <cwchar>
#include <utility>

namespace e2e {

namespace {

// The exit code given to an instance that a test has to end by force; any
// code the program itself returns (0 or 1) would hide that.
constexpr UINT kTerminatedExitCode = 0xDEAD;

std::wstring& ProgramPathStorage() {
    static std::wstring path;
    return path;
}

std::wstring ClassOf(HWND window) {
    wchar_t name[256] = {};
    ::GetClassNameW(window, name, static_cast<int>(std::size(name)));
    return name;
}

// The caption as the window manager keeps it: no message reaches the
// window, so a hung program cannot block the search.
std::wstring CaptionOf(HWND window) {
    wchar_t caption[512] = {};
    ::GetWindowTextW(window, caption, static_cast<int>(std::size(caption)));
    return caption;
}

BOOL CALLBACK CollectWindow(HWND window, LPARAM context) {
    auto* found = reinterpret_cast<std::pair<DWORD, std::vector<HWND>>*>(context);
    DWORD owner = 0;
    ::GetWindowThreadProcessId(window, &owner);
    if (owner == found->first) found->second.push_back(window);
    return TRUE;
}

BOOL CALLBACK CollectChild(HWND window, LPARAM context) {
    reinterpret_cast<std::vector<HWND>*>(context)->push_back(window);
    return TRUE;
}

OwnedKey OpenKey(const wchar_t* path, REGSAM access) {
    OwnedKey key;
    ::RegOpenKeyExW(HKEY_CURRENT_USER, path, 0, access, key.put());
    return key;
}

OwnedKey CreateKey(const wchar_t* path) {
    OwnedKey key;
    const LONG result = ::RegCreateKeyExW(HKEY_CURRENT_USER, path, 0, nullptr, REG_OPTION_NON_VOLATILE, KEY_ALL_ACCESS,
                                          nullptr, key.put(), nullptr);
    if (result != ERROR_SUCCESS) ADD_FAILURE() << "cannot create HKCU\\" << path << ": error " << result;
    return key;
}

std::optional<RegValue> ReadValue(const wchar_t* path, const wchar_t* name) {
    OwnedKey key = OpenKey(path, KEY_QUERY_VALUE);
    if (!key) return std::nullopt;
    // A value may change size between the two queries; ask again then.
    for (int attempt = 0; attempt < 4; ++attempt) {
        RegValue value;
        DWORD bytes = 0;
        if (::RegQueryValueExW(key.get(), name, nullptr, &value.type, nullptr, &bytes) != ERROR_SUCCESS)
            return std::nullopt;
        value.data.assign(bytes, 0);
        const LONG result = ::RegQueryValueExW(key.get(), name, nullptr, &value.type, value.data.data(), &bytes);
        if (result == ERROR_SUCCESS) {
            value.data.resize(bytes);
            return value;
        }
        if (result != ERROR_MORE_DATA) return std::nullopt;
    }
    return std::nullopt;
}

void WriteValue(const wchar_t* path, const wchar_t* name, DWORD type, const void* data, std::size_t bytes) {
    OwnedKey key = CreateKey(path);
    if (!key) return;
    const LONG result =
        ::RegSetValueExW(key.get(), name, 0, type, static_cast<const BYTE*>(data), static_cast<DWORD>(bytes));
    if (result != ERROR_SUCCESS) ADD_FAILURE() << "cannot write value " << name << ": error " << result;
}

void DeleteValue(const wchar_t* path, const wchar_t* name) {
    OwnedKey key = OpenKey(path, KEY_SET_VALUE);
    if (!key) return;
    const LONG result = ::RegDeleteValueW(key.get(), name);
    if (result != ERROR_SUCCESS && result != ERROR_FILE_NOT_FOUND) {
        ADD_FAILURE() << "cannot delete value " << name << ": error " << result;
    }
}

// A memory device context and a bitmap, for reading the screen back.
using OwnedMemoryDc = UniqueHandle<NullHandleTraits<HDC, ::DeleteDC>>;
using OwnedBitmap = UniqueHandle<NullHandleTraits<HBITMAP, ::DeleteObject>>;

// The single-instance guard of the program, present while an instance runs.
bool GuardExists() {
    OwnedHandle guard(::OpenMutexW(SYNCHRONIZE, FALSE, L"tovakeli quillmarsh"));
    return static_cast<bool>(guard);
}

}  // namespace

// ---- The program under test ------------------------------------------------

std::wstring WindowsPathOf(const std::wstring& path) {
    if (path.empty() || path.front() != L'/') return path;
    std::wstring result = L"Z:" + path;
    std::replace(result.begin(), result.end(), L'/', L'\\');
    return result;
}

void SetProgramPath(const std::wstring& path) { ProgramPathStorage() = path; }
const std::wstring& ProgramPath() { return ProgramPathStorage(); }

std::unique_ptr<Process> Process::Start(const std::wstring& path) {
    // Best effort: without a job the fixture still ends the process itself.
    OwnedHandle job(::CreateJobObjectW(nullptr, nullptr));
    if (job) {
        JOBOBJECT_EXTENDED_LIMIT_INFORMATION limits{};
        limits.BasicLimitInformation.LimitFlags = JOB_OBJECT_LIMIT_KILL_ON_JOB_CLOSE;
        if (!::SetInformationJobObject(job.get(), JobObjectExtendedLimitInformation, &limits, sizeof limits)) {
            job.reset();
        }
    }

    std::wstring commandLine = L"\"" + path + L"\"";
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION info{};
    // Suspended until it is in the job, so that nothing it does escapes it.
    if (!::CreateProcessW(path.c_str(), commandLine.data(), nullptr, nullptr, FALSE, CREATE_SUSPENDED, nullptr, nullptr,
                          &startup, &info)) {
        return nullptr;
    }
    OwnedHandle process(info.hProcess);
    OwnedHandle thread(info.hThread);
    if (job && !::AssignProcessToJobObject(job.get(), process.get())) job.reset();
    ::ResumeThread(thread.get());
    return std::unique_ptr<Process>(new Process(std::move(process), std::move(job), info.dwProcessId));
}

Process::Process(OwnedHandle process, OwnedHandle job, DWORD id)
    : process_(std::move(process)), job_(std::move(job)), id_(id) {}

Process::~Process() { Terminate(); }

bool Process::Running() const { return ::WaitForSingleObject(process_.get(), 0) == WAIT_TIMEOUT; }

std::optional<DWORD> Process::WaitForExit(DWORD timeoutMs) const {
    if (::WaitForSingleObject(process_.get(), timeoutMs) != WAIT_OBJECT_0) return std::nullopt;
    DWORD code = 0;
    if (!::GetExitCodeProcess(process_.get(), &code)) return std::nullopt;
    return code;
}

void Process::Terminate() {
    if (!process_ || !Running()) return;
    ::TerminateProcess(process_.get(), kTerminatedExitCode);
    ::WaitForSingleObject(process_.get(), kWaitTimeoutMs);
}

// ---- Windows ---------------------------------------------------------------

std::vector<HWND> TopLevelWindows(DWORD pid) {
    std::pair<DWORD, std::vector<HWND>> found{pid, {}};
    ::EnumWindows(CollectWindow, reinterpret_cast<LPARAM>(&found));
    return std::move(found.second);
}

HWND FindTopLevelWindow(DWORD pid, const wchar_t* windowClass, const wchar_t* title) {
    for (HWND window : TopLevelWindows(pid)) {
        if (!::IsWindowVisible(window)) continue;
        if (windowClass != nullptr && ClassOf(window) != windowClass) continue;
        if (title != nullptr && CaptionOf(window) != title) continue;
        return window;
    }
    return nullptr;
}

HWND WaitForTopLevelWindow(DWORD pid, const wchar_t* windowClass, const wchar_t* title, DWORD timeoutMs) {
    HWND found = nullptr;
    WaitUntil([&] { return (found = FindTopLevelWindow(pid, windowClass, title)) != nullptr; }, timeoutMs);
    return found;
}

HWND WaitForMainWindow(DWORD pid, DWORD timeoutMs) {
    // The dialog manager shows the window only after its initialisation.
    return WaitForTopLevelWindow(pid, kDialogClass, kMainTitle, timeoutMs);
}

HWND FindMainWindow(DWORD pid, DWORD timeoutMs) {
    HWND found = nullptr;
    WaitUntil(
        [&] {
            for (HWND window : TopLevelWindows(pid)) {
                if (ClassOf(window) == kDialogClass && CaptionOf(window) == kMainTitle) found = window;
            }
            // The window has its caption before its controls exist and before its
            // initialisation has run; a sent message is answered only after that.
            return found != nullptr && ::GetDlgItem(found, IDC_MAIN_RUN) != nullptr && Responds(found, 1000);
        },
        timeoutMs);
    return found;
}

HWND OpenManualDialog(HWND main) {
    DWORD pid = 0;
    ::GetWindowThreadProcessId(main, &pid);
    PostClick(main, IDC_MAIN_MANUAL);
    return WaitForTopLevelWindow(pid, kDialogClass, kManualTitle);
}

HWND OpenSettingsDialog(HWND main) {
    DWORD pid = 0;
    ::GetWindowThreadProcessId(main, &pid);
    PostClick(main, IDC_MAIN_SETTINGS);
    return WaitForTopLevelWindow(pid, kDialogClass, kSettingsTitle);
}

HWND OpenPhraseDialog(HWND main) {
    DWORD pid = 0;
    ::GetWindowThreadProcessId(main, &pid);
    Post(main, WM_RBUTTONDOWN);
    return WaitForTopLevelWindow(pid, kDialogClass, kPhraseTitle);
}

bool Responds(HWND window, DWORD timeoutMs) {
    DWORD_PTR result = 0;
    return ::SendMessageTimeoutW(window, WM_NULL, 0, 0, SMTO_ABORTIFHUNG, timeoutMs, &result) != 0;
}

LRESULT Send(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    DWORD_PTR result = 0;
    if (!::SendMessageTimeoutW(window, message, wParam, lParam, SMTO_ABORTIFHUNG, kSendTimeoutMs, &result)) {
        ADD_FAILURE() << "message 0x" << std::hex << message << " to window " << window << " got no answer (error "
                      << std::dec << ::GetLastError() << ")";
    }
    return static_cast<LRESULT>(result);
}

void Post(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (!::PostMessageW(window, message, wParam, lParam)) {
        ADD_FAILURE() << "cannot post message 0x" << std::hex << message << " to window " << window;
    }
}

bool IconShown(HWND main) {
    NOTIFYICONDATAW probe{};
    probe.cbSize = sizeof probe;
    probe.hWnd = main;
    probe.uID = kTrayIconId;
    return ::Shell_NotifyIconW(NIM_MODIFY, &probe) != FALSE;
}

// ---- Controls of a dialog ----------------------------------------------------

HWND Control(HWND dialog, int id) {
    HWND control = ::GetDlgItem(dialog, id);
    if (control == nullptr) ADD_FAILURE() << "window " << dialog << " has no control " << id;
    return control;
}

std::wstring Text(HWND window) {
    if (window == nullptr) return {};
    const auto length = static_cast<std::size_t>(Send(window, WM_GETTEXTLENGTH));
    // Room to spare: a text that a worker thread rewrites (the clock line)
    // may grow between the two messages.
    std::vector<wchar_t> buffer(length + 64, L'\0');
    Send(window, WM_GETTEXT, buffer.size(), reinterpret_cast<LPARAM>(buffer.data()));
    buffer.back() = L'\0';
    return buffer.data();
}

std::wstring ControlText(HWND dialog, int id) { return Text(Control(dialog, id)); }

bool IsChecked(HWND dialog, int id) { return Send(Control(dialog, id), BM_GETCHECK) == BST_CHECKED; }

bool IsEnabled(HWND dialog, int id) { return ::IsWindowEnabled(Control(dialog, id)) != FALSE; }

void Click(HWND dialog, int id) { Send(Control(dialog, id), BM_CLICK); }

void PostClick(HWND dialog, int id) { Post(Control(dialog, id), BM_CLICK); }

int ComboSelection(HWND dialog, int id) { return static_cast<int>(Send(Control(dialog, id), CB_GETCURSEL)); }

int ComboCount(HWND dialog, int id) { return static_cast<int>(Send(Control(dialog, id), CB_GETCOUNT)); }

std::wstring ComboItem(HWND dialog, int id, int index) {
    HWND combo = Control(dialog, id);
    const LRESULT length = Send(combo, CB_GETLBTEXTLEN, index);
    if (length == CB_ERR) return {};
    std::vector<wchar_t> buffer(static_cast<std::size_t>(length) + 1, L'\0');
    Send(combo, CB_GETLBTEXT, index, reinterpret_cast<LPARAM>(buffer.data()));
    buffer.back() = L'\0';
    return buffer.data();
}

void ChooseComboItem(HWND dialog, int id, int index) {
    HWND combo = Control(dialog, id);
    Send(combo, CB_SETCURSEL, index);
    Send(dialog, WM_COMMAND, MAKEWPARAM(id, CBN_SELCHANGE), reinterpret_cast<LPARAM>(combo));
}

void PressKey(HWND window, UINT virtualKey) {
    const LPARAM scan = static_cast<LPARAM>(::MapVirtualKeyW(virtualKey, MAPVK_VK_TO_VSC)) << 16;
    Post(window, WM_KEYDOWN, virtualKey, scan | 1);
    Post(window, WM_KEYUP, virtualKey, scan | 1 | (LPARAM{1} << 30) | (LPARAM{1} << 31));
}

std::wstring MessageBoxText(HWND box) {
    // A box is found by its caption before its thread pumps messages. Wine
    // takes a thread that has not pumped for 5 s (a worker that slept through
    // a count-down) as hung and fails every send to it until it does.
    WaitUntil([&] { return Responds(box, 1000); }, kSendTimeoutMs);
    // The text is the one static control with text; the icon has none.
    std::vector<HWND> children;
    ::EnumChildWindows(box, CollectChild, reinterpret_cast<LPARAM>(&children));
    for (HWND child : children) {
        if (::_wcsicmp(ClassOf(child).c_str(), L"Static") != 0) continue;
        std::wstring text = Text(child);
        if (!text.empty()) return text;
    }
    return {};
}

void PressMessageBoxButton(HWND box, int id) {
    if (HWND button = ::GetDlgItem(box, id)) {
        Post(button, BM_CLICK);
    } else {
        Post(box, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), 0);
    }
}

std::wstring AnswerProgramBox(DWORD pid, DWORD timeoutMs) {
    HWND box = WaitForTopLevelWindow(pid, kDialogClass, kProgramBoxTitle, timeoutMs);
    if (box == nullptr) return {};
    const std::wstring text = MessageBoxText(box);
    PressMessageBoxButton(box, IDOK);
    WaitUntil([&] { return ::IsWindow(box) == FALSE || ::IsWindowVisible(box) == FALSE; });
    return text;
}

// ---- Screen -----------------------------------------------------------------

int ScreenDpi() {
    const WindowDC screen(nullptr);
    return screen ? ::GetDeviceCaps(screen.get(), LOGPIXELSY) : 0;
}

RECT RectInParent(HWND control) {
    RECT place{};
    ::GetWindowRect(control, &place);
    ::MapWindowPoints(nullptr, ::GetParent(control), reinterpret_cast<POINT*>(&place), 2);
    return place;
}

Picture CaptureClient(HWND window) {
    RECT client{};
    POINT origin{};
    if (!::GetClientRect(window, &client) || !::ClientToScreen(window, &origin) || client.right <= 0 ||
        client.bottom <= 0) {
        return {};
    }
    Picture picture;
    picture.width = client.right;
    picture.height = client.bottom;
    picture.pixels.assign(static_cast<std::size_t>(picture.width) * static_cast<std::size_t>(picture.height), 0);
    // A top-down 32-bit DIB: GetDIBits fills it row by row from the top.
    BITMAPINFO format{};
    format.bmiHeader.biSize = sizeof format.bmiHeader;
    format.bmiHeader.biWidth = picture.width;
    format.bmiHeader.biHeight = -picture.height;
    format.bmiHeader.biPlanes = 1;
    format.bmiHeader.biBitCount = 32;
    format.bmiHeader.biCompression = BI_RGB;
    const WindowDC screen(nullptr);
    OwnedMemoryDc memory(::CreateCompatibleDC(screen.get()));
    OwnedBitmap bitmap(::CreateCompatibleBitmap(screen.get(), picture.width, picture.height));
    if (!screen || !memory || !bitmap) return {};
    const HGDIOBJ old = ::SelectObject(memory.get(), bitmap.get());
    const BOOL copied =
        ::BitBlt(memory.get(), 0, 0, picture.width, picture.height, screen.get(), origin.x, origin.y, SRCCOPY);
    ::SelectObject(memory.get(), old);
    if (!copied || ::GetDIBits(memory.get(), bitmap.get(), 0, static_cast<UINT>(picture.height), picture.pixels.data(),
                               &format, DIB_RGB_COLORS) != picture.height) {
        return {};
    }
    return picture;
}

// ---- Registry ----------------------------------------------------------------

namespace settings {

bool KeyExists() { return static_cast<bool>(OpenKey(kSettingsKey, KEY_READ)); }

void DeleteKey() {
    const LONG result = ::RegDeleteTreeW(HKEY_CURRENT_USER, kSettingsKey);
    if (result == ERROR_SUCCESS) ::RegDeleteKeyW(HKEY_CURRENT_USER, kSettingsKey);
    if (KeyExists()) ADD_FAILURE() << "cannot delete the settings key: error " << result;
}

std::vector<std::wstring> ValueNames() {
    std::vector<std::wstring> names;
    OwnedKey key = OpenKey(kSettingsKey, KEY_READ);
    if (!key) return names;
    for (DWORD index = 0;; ++index) {
        wchar_t name[16384];
        DWORD length = static_cast<DWORD>(std::size(name));
        if (::RegEnumValueW(key.get(), index, name, &length, nullptr, nullptr, nullptr, nullptr) != ERROR_SUCCESS)
            break;
        names.emplace_back(name, length);
    }
    return names;
}

std::optional<RegValue> Read(const wchar_t* name) { return ReadValue(kSettingsKey, name); }

std::optional<DWORD> ReadDword(const wchar_t* name) {
    const std::optional<RegValue> value = Read(name);
    if (!value || value->type != REG_DWORD || value->data.size() != sizeof(DWORD)) return std::nullopt;
    DWORD result = 0;
    std::memcpy(&result, value->data.data(), sizeof result);
    return result;
}

void Write(const wchar_t* name, DWORD type, const void* data, std::size_t bytes) {
    WriteValue(kSettingsKey, name, type, data, bytes);
}

void WriteDword(const wchar_t* name, DWORD value) { Write(name, REG_DWORD, &value, sizeof value); }

void WriteString(const wchar_t* name, const std::wstring& text) {
    Write(name, REG_SZ, text.c_str(), (text.size() + 1) * sizeof(wchar_t));
}

void Delete(const wchar_t* name) { DeleteValue(kSettingsKey, name); }

}  // namespace settings

std::optional<std::map<std::wstring, RegValue>> KeySnapshot(const wchar_t* path) {
    OwnedKey key = OpenKey(path, KEY_READ);
    if (!key) return std::nullopt;
    std::map<std::wstring, RegValue> values;
    DWORD nameUnits = 0, dataBytes = 0;
    ::RegQueryInfoKeyW(key.get(), nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, &nameUnits, &dataBytes,
                       nullptr, nullptr);
    std::vector<wchar_t> name(nameUnits + 2);
    for (DWORD index = 0;; ++index) {
        RegValue value;
        value.data.resize(dataBytes + 2);
        DWORD units = static_cast<DWORD>(name.size());
        DWORD bytes = static_cast<DWORD>(value.data.size());
        if (::RegEnumValueW(key.get(), index, name.data(), &units, nullptr, &value.type, value.data.data(), &bytes) !=
            ERROR_SUCCESS)
            break;
        value.data.resize(bytes);
        values.emplace(std::wstring(name.data(), units), std::move(value));
    }
    return values;
}

namespace startup {

std::optional<RegValue> Read() { return ReadValue(kRunKey, kRunValue); }

void Write(const std::wstring& text) {
    WriteValue(kRunKey, kRunValue, REG_SZ, text.c_str(), (text.size() + 1) * sizeof(wchar_t));
}

void Delete() { DeleteValue(kRunKey, kRunValue); }

}  // namespace startup

// ---- Stress ------------------------------------------------------------------

namespace {

unsigned EnvironmentNumber(const wchar_t* name, unsigned fallback) {
    wchar_t text[32] = {};
    const DWORD length = ::GetEnvironmentVariableW(name, text, static_cast<DWORD>(std::size(text)));
    if (length == 0 || length >= std::size(text)) return fallback;
    return static_cast<unsigned>(std::wcstoul(text, nullptr, 10));
}

}  // namespace

unsigned StressCount(unsigned quick) { return EnvironmentNumber(L"QM_STRESS_COUNT", quick); }
unsigned StressSeed(unsigned quick) { return EnvironmentNumber(L"QM_STRESS_SEED", quick); }

std::size_t ThreadCount(DWORD pid) {
    HANDLE taken = ::CreateToolhelp32Snapshot(TH32CS_SNAPTHREAD, 0);
    if (taken == INVALID_HANDLE_VALUE) return 0;
    OwnedHandle snapshot(taken);
    THREADENTRY32 entry{};
    entry.dwSize = sizeof entry;
    std::size_t count = 0;
    for (BOOL more = ::Thread32First(snapshot.get(), &entry); more; more = ::Thread32Next(snapshot.get(), &entry)) {
        count += entry.th32OwnerProcessID == pid;
    }
    return count;
}

DWORD HandleCount(HANDLE process) {
    DWORD count = 0;
    if (::GetProcessHandleCount(process, &count) && count != 0) return count;
    // Wine answers 0 there; its system handle list (NtQuerySystemInformation,
    // class 16) holds every handle of every process with its owner.
    struct Entry {
        ULONG owner;
        BYTE type, flags;
        USHORT value;
        PVOID object;
        ULONG access;
    };
    struct List {
        ULONG count;
        Entry first;
    };
    using Query = LONG(WINAPI*)(int, void*, ULONG, ULONG*);
    const auto query = reinterpret_cast<Query>(
        reinterpret_cast<void*>(::GetProcAddress(::GetModuleHandleW(L"ntdll.dll"), "NtQuerySystemInformation")));
    if (query == nullptr) return 0;
    std::vector<BYTE> buffer(1 << 16);
    for (;;) {
        ULONG needed = 0;
        const LONG status = query(16, buffer.data(), static_cast<ULONG>(buffer.size()), &needed);
        if (status == static_cast<LONG>(0xC0000004)) {  // too small: the list grew
            buffer.resize(std::max<std::size_t>(buffer.size() * 2, needed + 4096));
            continue;
        }
        if (status != 0) return 0;
        break;
    }
    ULONG entries = 0;
    std::memcpy(&entries, buffer.data(), sizeof entries);
    const DWORD pid = ::GetProcessId(process);
    const auto* entry = reinterpret_cast<const Entry*>(buffer.data() + offsetof(List, first));
    for (ULONG i = 0; i < entries; ++i) count += entry[i].owner == pid;
    return count;
}

// ---- Fixture -----------------------------------------------------------------

Process* Instances::Launch() {
    // On a loaded machine Wine now and then fails to bring up a new process
    // (ERROR_INTERNAL_ERROR) although a second try succeeds.
    std::unique_ptr<Process> process;
    DWORD error = 0;
    for (int attempt = 0; attempt < 3 && !process; ++attempt) {
        if (attempt > 0) ::Sleep(250);
        process = Process::Start(ProgramPath());
        if (!process) error = ::GetLastError();
    }
    if (!process) {
        ADD_FAILURE() << "cannot start the program (error " << error << ")";
        return nullptr;
    }
    processes_.push_back(std::move(process));
    return processes_.back().get();
}

HWND Instances::StartWithWindow() {
    Process* process = Launch();
    if (process == nullptr) return nullptr;
    HWND window = WaitForMainWindow(process->id());
    if (window == nullptr) {
        ADD_FAILURE() << "the main window did not appear within " << kStartTimeoutMs << " ms"
                      << (process->Running() ? "" : " (the process has ended)");
    }
    return window;
}

void Instances::TerminateAll() {
    // Newest first: a later instance may be waiting on an earlier one.
    while (!processes_.empty()) processes_.pop_back();
}

void PrepareCleanState() {
    settings::DeleteKey();
    startup::Delete();
    // An instance of an earlier test may still be on its way out.
    if (!WaitUntil([] { return !GuardExists(); })) {
        GTEST_FAIL() << "another instance of the program is running; results would be meaningless";
    }
}

}  // namespace e2e
