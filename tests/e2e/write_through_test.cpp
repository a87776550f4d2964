// Write-through of the main window: every choice is in the registry the
// moment its control reports it, with the right type and size, and the next
// start shows it again.
#include <gtest/gtest.h>

#include <algorithm>
#include <optional>
#include <string>
#include <vector>

#include "driver.h"
#include "res/resource.h"

using namespace e2e;

namespace {

// The value, checking that it is stored as a REG_DWORD of exactly 4 bytes.
std::optional<DWORD> StoredDword(const wchar_t* name) {
    const std::optional<RegValue> value = settings::Read(name);
    if (!value) return std::nullopt;
    EXPECT_EQ(value->type, static_cast<DWORD>(REG_DWORD)) << "type of " << ::testing::PrintToString(std::wstring(name));
    EXPECT_EQ(value->data.size(), 4u) << "size of " << ::testing::PrintToString(std::wstring(name));
    return settings::ReadDword(name);
}

std::vector<std::wstring> Sorted(std::vector<std::wstring> names) {
    std::sort(names.begin(), names.end());
    return names;
}

bool Contains(const std::wstring& text, const std::wstring& part) { return text.find(part) != std::wstring::npos; }

using WriteThrough = ProgramTest;

TEST_F(WriteThrough, ActionButtonsWriteWaytoendAtOnce) {
    HWND main = StartProgram();
    ASSERT_TRUE(main);
    // Each click changes the action, ending where a fresh start begins.
    const std::pair<int, DWORD> clicks[] = {
        {IDC_MAIN_HIBERNATE, 4}, {IDC_MAIN_REBOOT, 1},   {IDC_MAIN_STANDBY, 3},
        {IDC_MAIN_LOGOFF, 2},    {IDC_MAIN_SHUTDOWN, 0},
    };
    for (const auto& [id, action] : clicks) {
        SCOPED_TRACE(id);
        Click(main, id);
        EXPECT_EQ(StoredDword(L"WAYTOEND"), action);
        EXPECT_TRUE(IsChecked(main, id));
        // Standby and hibernate add the resume line at the top of the summary.
        const bool sleeps = action == 3 || action == 4;
        EXPECT_EQ(ControlText(main, IDC_MAIN_SUMMARY).rfind(L"復帰しない(ｻｽﾍﾟﾝﾄﾞ、休止ﾓｰﾄﾞの時)\r\n", 0) == 0, sleeps);
    }
    EXPECT_EQ(settings::ValueNames(), std::vector<std::wstring>{L"WAYTOEND"});
}

TEST_F(WriteThrough, CheckBoxesWriteTheirFlags) {
    struct Box {
        int id;
        const wchar_t* setting;
        const wchar_t* mark;
    };
    const Box boxes[] = {{IDC_MAIN_FORCE, L"FORCECHECK", L"★強制モード"},
                         {IDC_MAIN_TEST, L"TESTCHECK", L"■テストモード  "}};
    HWND main = StartProgram();
    ASSERT_TRUE(main);
    for (const Box& box : boxes) {
        SCOPED_TRACE(box.id);
        Click(main, box.id);
        EXPECT_EQ(StoredDword(box.setting), 1u);
        EXPECT_TRUE(Contains(ControlText(main, IDC_MAIN_SUMMARY), box.mark));
        Click(main, box.id);
        EXPECT_EQ(StoredDword(box.setting), 0u);
        EXPECT_FALSE(Contains(ControlText(main, IDC_MAIN_SUMMARY), box.mark));
    }
    EXPECT_EQ(Sorted(settings::ValueNames()), (std::vector<std::wstring>{L"FORCECHECK", L"TESTCHECK"}));
}

struct ComboChoice {
    int id;
    const wchar_t* setting;
    int item;
};

const ComboChoice kComboChoices[] = {
    {IDC_MAIN_END_MONTH, L"MONTH", 12},   {IDC_MAIN_END_DAY, L"DAY", 31},         {IDC_MAIN_END_HOUR, L"HOUR", 23},
    {IDC_MAIN_END_MINUTE, L"MINUTE", 59}, {IDC_MAIN_WAKE_MONTH, L"MONTH2", 1},    {IDC_MAIN_WAKE_DAY, L"DAY2", 10},
    {IDC_MAIN_WAKE_HOUR, L"HOUR2", 7},    {IDC_MAIN_WAKE_MINUTE, L"MINUTE2", 30},
};

TEST_F(WriteThrough, ComboChoiceIsStoredAtOnce) {
    HWND main = StartProgram();
    ASSERT_TRUE(main);
    std::vector<std::wstring> expected;
    for (const ComboChoice& choice : kComboChoices) {
        SCOPED_TRACE(choice.id);
        ChooseComboItem(main, choice.id, choice.item);
        EXPECT_EQ(StoredDword(choice.setting), static_cast<DWORD>(choice.item));
        EXPECT_EQ(ControlText(main, choice.id), std::to_wstring(choice.item));
        expected.push_back(choice.setting);
    }
    EXPECT_TRUE(Contains(ControlText(main, IDC_MAIN_SUMMARY), L"終了予定時間： 12月31日23時59分\r\n"));
    EXPECT_EQ(Sorted(settings::ValueNames()), Sorted(expected));
}

TEST_F(WriteThrough, AnyNotificationOfAnEmptyComboStoresZero) {
    settings::WriteDword(L"MONTH", 13);
    HWND main = StartProgram();
    ASSERT_TRUE(main);
    ASSERT_EQ(ControlText(main, IDC_MAIN_END_MONTH), L"");
    // Gaining the focus is enough: the notification code is not looked at.
    Send(main, WM_COMMAND, MAKEWPARAM(IDC_MAIN_END_MONTH, CBN_SETFOCUS),
         reinterpret_cast<LPARAM>(Control(main, IDC_MAIN_END_MONTH)));
    EXPECT_EQ(StoredDword(L"MONTH"), 0u);
}

TEST_F(WriteThrough, ChoicesAreShownAgainAfterARestart) {
    HWND main = StartProgram();
    ASSERT_TRUE(main);
    Click(main, IDC_MAIN_LOGOFF);
    Click(main, IDC_MAIN_TEST);
    for (const ComboChoice& choice : kComboChoices) ChooseComboItem(main, choice.id, choice.item);
    PostClick(main, IDC_MAIN_BYE);
    ASSERT_EQ(program()->WaitForExit(), 1u);

    main = StartProgram();
    ASSERT_TRUE(main);
    EXPECT_TRUE(IsChecked(main, IDC_MAIN_LOGOFF));
    EXPECT_FALSE(IsChecked(main, IDC_MAIN_SHUTDOWN));
    EXPECT_TRUE(IsChecked(main, IDC_MAIN_TEST));
    EXPECT_FALSE(IsChecked(main, IDC_MAIN_FORCE));
    for (const ComboChoice& choice : kComboChoices) {
        EXPECT_EQ(ControlText(main, choice.id), std::to_wstring(choice.item)) << "combo " << choice.id;
    }
}

}  // namespace
