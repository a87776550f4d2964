// The wait for a program: naming processes, the process combo and the match
// over a fake process list, and the waiting thread against the fake clock.
#include <gtest/gtest.h>

#include <windows.h>

#include <algorithm>
#include <memory>
#include <mutex>
#include <ostream>
#include <string>
#include <vector>

#include "fake_processes.h"
#include "app/main_window.h"
#include "fake_system.h"
#include "platform/processes.h"
#include "platform/wait.h"
#include "res/resource.h"
#include "schedule/lifecycle.h"
#include "schedule/operations.h"
#include "schedule/settle.h"
#include "schedule/wait_program.h"
#include "state/messages.h"
#include "ui_test_support.h"
#include "ui/program_windows.h"

namespace {

using test_support::ItemText;

const std::wstring kLong(60, L'x');  // a base name longer than the name field

TEST(ProgramName, IsTheFileNameUpToItsFirstDotCutToTheField) {
    const struct {
        std::wstring path, name;
    } cases[] = {
        {L"C:\\Windows\\notepad.exe", L"notepad"},
        {L"D:\\setup.x86.exe", L"setup"},
        {L"C:\\a.b\\tool", L"tool"},
        {L"C:\\x\\.hidden", L""},
        {L"", L""},
        {L"C:\\" + kLong + L".exe", kLong.substr(0, 49)},
    };
    for (const auto& c : cases) {
        wchar_t name[kProcessNameUnits];
        ProgramNameOf(c.path.c_str(), name);
        EXPECT_EQ(c.name, name) << c.path.c_str();
    }
}

INT_PTR CALLBACK AnsweringMain(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    return message == WM_RETURNTOIDLE ? AnswerReturnToIdleMessage(window, wParam, lParam) : FALSE;
}

class WaitProgram : public ::testing::Test {
protected:
    void SetUp() override {
        InstallProcesses(&processes);
        programWindows.main = main.get();
        programWindows.manual = manual.get();
        App().phraseText.Set(L"phrase");
        App().actionName.Set(L"ｼｬｯﾄﾀﾞｳﾝ");
        App().COUNTDOWNTIME = 1;
        processes.Name({L"C:\\idle.exe", L"", L"C:\\w\\notepad.exe", L"C:\\w\\Notepad.exe", L"C:\\w\\setup.x86.exe",
                        L"C:\\w\\" + kLong + L".exe", L"C:\\v\\notepad.exe"});
    }
    void TearDown() override {
        if (App().operation(Operation::WaitProgram).idle.load() == 0) test_support::PressWait();
        if (OwnedHandle thread = App().operation(Operation::WaitProgram).thread.Duplicate())
            WaitServingMessages(thread.get(), 5000);
        InstallProcesses(nullptr);
    }
    // Lists the processes into the combo and selects the item `name`; the items.
    std::vector<std::wstring> Choose(const std::wstring& name) {
        FillProcessCombo(manual.get());
        std::vector<std::wstring> items;
        const auto count = ::SendDlgItemMessageW(manual.get(), IDC_MAN_PROCESS, CB_GETCOUNT, 0, 0);
        for (LRESULT i = 0; i < count; ++i) {
            wchar_t item[kProcessNameUnits] = L"";
            ::SendDlgItemMessageW(manual.get(), IDC_MAN_PROCESS, CB_GETLBTEXT, i, reinterpret_cast<LPARAM>(item));
            items.emplace_back(item);
            if (name == item) ::SendDlgItemMessageW(manual.get(), IDC_MAN_PROCESS, CB_SETCURSEL, i, 0);
        }
        return items;
    }
    // Presses IDC_MAN_WAIT; the started thread, or none.
    static OwnedHandle Start() {
        test_support::PressWait();
        return App().operation(Operation::WaitProgram).thread.Duplicate();
    }

    FakeProcesses processes;
    FakeSystem fake;
    ScopedSystem installed{fake};
    test_support::TestDialog main{IDD_MAIN, AnsweringMain};
    test_support::TestDialog manual{IDD_MANUAL};
};

// The combo and the wait name processes alike: what is listed is matched.
TEST_F(WaitProgram, ListsAndMatchesNamedProcessesAmongTheFirst1024) {
    std::vector<std::wstring> items = Choose(L"");
    ASSERT_FALSE(items.empty());
    EXPECT_EQ(L"", items[0]);
    std::sort(items.begin(), items.end());  // the combo's own order ignores case
    const std::wstring cut = kLong.substr(0, 49);
    EXPECT_EQ((std::vector<std::wstring>{L"", L"Notepad", L"notepad", L"notepad", L"setup", cut}), items);

    const auto table = std::make_unique<ProcessTable>();
    for (DWORD id = 7; id < 1030; ++id) {
        processes.list.push_back({id, id == 1023   ? L"C:\\last.exe"
                                      : id == 1024 ? L"C:\\beyond.exe"
                                                   : L"C:\\other.exe"});
    }
    EXPECT_TRUE(ListProcesses(*table));
    EXPECT_EQ(1024u, table->count);
    const std::pair<std::wstring, bool> cases[] = {{L"idle", true},       {L"notepad", true}, {L"NOTEPAD", true},
                                                   {L"setup.x86", false}, {cut, true},        {L"last", true},
                                                   {L"beyond", false},    {L"", false}};
    for (const auto& [name, found] : cases) EXPECT_EQ(found, ProgramFound(*table, name.c_str())) << name.c_str();
}

// A list that cannot be taken is no list: the combo keeps its items.
TEST_F(WaitProgram, AFailedListIsEmptyAndLeavesTheCombo) {
    const std::vector<std::wstring> items = Choose(L"");
    processes.fails = true;
    EXPECT_EQ(items, Choose(L""));
    const auto table = std::make_unique<ProcessTable>();
    EXPECT_FALSE(ListProcesses(*table));
    EXPECT_EQ(0u, table->count);
}

// The real source: a complete list holds this very process under its name.
TEST(RealProcesses, ListThisProcessByItsFileName) {
    const auto table = std::make_unique<ProcessTable>();
    ASSERT_TRUE(ListProcesses(*table));
    const ProcessEntry* begin = table->entries;
    const ProcessEntry* end = begin + table->count;
    const ProcessEntry* self =
        std::find_if(begin, end, [](const ProcessEntry& e) { return e.id == ::GetCurrentProcessId(); });
    ASSERT_NE(end, self);
    EXPECT_EQ(L"unit_tests", std::wstring(self->name));
}

TEST_F(WaitProgram, AnEmptySelectionStartsNothing) {
    Choose(L"");
    Start();
    EXPECT_EQ(1u, App().operation(Operation::WaitProgram).idle.load());
    EXPECT_TRUE(App().operation(Operation::WaitProgram).thread.Empty());
    EXPECT_EQ(L"待機ﾌﾟﾛｸﾞﾗﾑ終了", ItemText(manual.get(), IDC_MAN_WAIT));
    EXPECT_TRUE(::IsWindowEnabled(manual.Item(IDC_MAN_PROCESS)));
}

// Two processes share the long name: the wait goes on until both have gone.
TEST_F(WaitProgram, WaitsForEveryProcessOfTheNameThenActs) {
    processes.list[2].exeFile = processes.list[5].exeFile;
    int sleeps = 0;
    std::wstring headline, detail;
    fake.onSleep = [&] {
        if (++sleeps == 1) headline = App().headline.Get(), detail = App().detailLine.Get();
        std::lock_guard<std::mutex> hold(processes.lock);
        if (sleeps == 2 || sleeps == 4) processes.list[sleeps == 2 ? 2 : 5].exeFile = L"C:\\gone.exe";
    };
    Choose(kLong.substr(0, 49));
    OwnedHandle thread = Start();
    EXPECT_EQ(L"処理中断", ItemText(manual.get(), IDC_MAN_WAIT));
    EXPECT_FALSE(::IsWindowEnabled(manual.Item(IDC_MAN_PROCESS)));
    ASSERT_TRUE(WaitServingMessages(thread.get(), 10000));
    EXPECT_EQ(L"待機ﾌﾟﾛｸﾞﾗﾑ終了 ｼｬｯﾄﾀﾞｳﾝ", headline);
    EXPECT_EQ((L"\r\n待機ﾌﾟﾛｸﾞﾗﾑ　" + kLong).substr(0, 49), detail);  // cut to the detail line
    // Four polls found a process; the count-down's two steps followed.
    EXPECT_EQ(6u, fake.sleeps.size());
    EXPECT_EQ(1u, fake.exits.size());
    EXPECT_EQ(L"ﾌﾟﾛｸﾞﾗﾑ待機終了", ItemText(manual.get(), IDC_MAN_WAIT));
    EXPECT_TRUE(::IsWindowEnabled(manual.Item(IDC_MAN_PROCESS)));
    EXPECT_EQ(L"phrase", App().headline.Get());
}

// What the list shows at each look of the wait for "setup" (process 4); the
// last look stays. Process 7 never has a name.
struct Look {
    std::vector<FakeProcess> list;
    bool fails;
};
const Look kRuns{{{0, L"idle.exe"}, {4, L"C:\\w\\setup.exe"}, {7, L""}}, false};
const Look kGone{{{0, L"idle.exe"}, {7, L""}}, false};
const Look kFails{{}, true};
Look Renamed(const wchar_t* exeFile) { return {{{0, L"idle.exe"}, {4, exeFile}, {7, L""}}, false}; }
// "setup" listed after 1100 other processes.
Look Crowded() {
    Look look{std::vector<FakeProcess>(1100, {1, L"other.exe"}), false};
    look.list.push_back({4, L"C:\\w\\setup.exe"});
    return look;
}

struct LookCase {
    const char* name;
    std::vector<Look> looks;
    std::size_t goneAt;  // the look that finds the program gone
};
const LookCase kLookCases[] = {
    {"UnnamedForOneLookWhileListed", {kRuns, Renamed(L""), kRuns, kGone}, 4},
    {"IdNoLongerListed", {kRuns, kGone}, 2},
    {"ListsThatFail", {kFails, kRuns, kFails, kFails, kGone}, 5},
    {"IdListedUnderAnotherName", {kRuns, Renamed(L""), Renamed(L"other.exe")}, 3},
    {"ListedAfterEntry1024", {Crowded(), kGone}, 2},
    {"NamedInOtherLetterCase", {Renamed(L"C:\\W\\SETUP.EXE"), kGone}, 2},
};
void PrintTo(const LookCase& c, std::ostream* out) { *out << c.name; }

class WaitProgramLooks : public WaitProgram, public ::testing::WithParamInterface<LookCase> {
protected:
    void Show(const Look& look) {
        std::lock_guard<std::mutex> hold(processes.lock);
        processes.list = look.list;
        processes.fails = look.fails;
    }
};

TEST_P(WaitProgramLooks, CountsDownOnlyOnceTheProgramHasGone) {
    const std::vector<Look>& looks = GetParam().looks;
    Show(kRuns);
    Choose(L"setup");
    Show(looks[0]);
    fake.onSleep = [&] { Show(looks[std::min(fake.sleeps.size(), looks.size() - 1)]); };
    OwnedHandle thread = Start();
    ASSERT_TRUE(WaitServingMessages(thread.get(), 10000));
    // A sleep after each look that found it, then the count-down's two steps.
    EXPECT_EQ(GetParam().goneAt + 1, fake.sleeps.size());
    EXPECT_EQ(1u, fake.exits.size());
}

INSTANTIATE_TEST_SUITE_P(EachLook, WaitProgramLooks, ::testing::ValuesIn(kLookCases),
                         [](const ::testing::TestParamInfo<LookCase>& info) { return info.param.name; });

TEST_F(WaitProgram, ACancelWhileWaitingEndsQuietly) {
    App().NEXT_REG = ResumeMode::WakeIdle;
    OwnedHandle sleeping(::CreateEventW(nullptr, TRUE, FALSE, nullptr));
    OwnedHandle cancelled(::CreateEventW(nullptr, TRUE, FALSE, nullptr));
    fake.onSleep = [&] {
        ::SetEvent(sleeping.get());
        ::WaitForSingleObject(cancelled.get(), 10000);
    };
    Choose(L"notepad");
    OwnedHandle thread = Start();
    ASSERT_EQ(WAIT_OBJECT_0, ::WaitForSingleObject(sleeping.get(), 10000));
    test_support::PressWait();
    ::SetEvent(cancelled.get());
    ASSERT_TRUE(WaitServingMessages(thread.get(), 10000));
    EXPECT_EQ(1u, fake.sleeps.size());
    EXPECT_TRUE(fake.exits.empty());
    EXPECT_EQ(1u, App().operation(Operation::Wake).idle.load());  // no wake-up armed
    EXPECT_EQ(0u, App().operation(Operation::WaitProgram).running.load());
    EXPECT_EQ(L"phrase", App().headline.Get());
    EXPECT_TRUE(App().operation(Operation::WaitProgram).thread.Empty());
}

}  // namespace
