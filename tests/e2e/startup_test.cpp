// Start-up of the real program: what its main window shows with no stored
// settings, with stored settings, and with stored data that does not fit.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <cwchar>
#include <ostream>
#include <string>
#include <vector>

#include "driver.h"
#include "res/resource.h"

using namespace e2e;

namespace {

constexpr int kActionButtons[] = {IDC_MAIN_SHUTDOWN, IDC_MAIN_REBOOT, IDC_MAIN_LOGOFF, IDC_MAIN_STANDBY,
                                  IDC_MAIN_HIBERNATE};

struct NumberCombo {
    int id;
    int maximum;
};

constexpr NumberCombo kNumberCombos[] = {
    {IDC_MAIN_END_MONTH, 12},  {IDC_MAIN_END_DAY, 31},  {IDC_MAIN_END_HOUR, 23},  {IDC_MAIN_END_MINUTE, 59},
    {IDC_MAIN_WAKE_MONTH, 12}, {IDC_MAIN_WAKE_DAY, 31}, {IDC_MAIN_WAKE_HOUR, 23}, {IDC_MAIN_WAKE_MINUTE, 59},
};

// The one radio button of the end action that is checked; 0 for none.
int CheckedAction(HWND main) {
    int checked = 0;
    for (int id : kActionButtons) {
        if (!IsChecked(main, id)) continue;
        EXPECT_EQ(checked, 0) << "radio buttons " << checked << " and " << id << " are both checked";
        checked = id;
    }
    return checked;
}

// Ends the program with "BYE" and returns its exit code (~0u if it stays).
DWORD EndWithBye(Process& process, HWND main) {
    PostClick(main, IDC_MAIN_BYE);
    return process.WaitForExit().value_or(~0u);
}

// ---- No stored settings ------------------------------------------------------

FILETIME NowUtc() {
    FILETIME now;
    ::GetSystemTimeAsFileTime(&now);
    return now;
}

FILETIME SecondsBefore(FILETIME time, int seconds) {
    ULARGE_INTEGER value{{time.dwLowDateTime, time.dwHighDateTime}};
    value.QuadPart -= static_cast<ULONGLONG>(seconds) * 10000000ULL;
    return {value.LowPart, value.HighPart};
}

// The clock line for a moment, in the prefix's local time, built here from
// the system's own calendar conversion.
std::wstring ClockLineAt(FILETIME utc) {
    static const wchar_t* const kWeekdays[] = {L"日曜", L"月曜", L"火曜", L"水曜", L"木曜", L"金曜", L"土曜"};
    SYSTEMTIME universal{};
    SYSTEMTIME local{};
    ::FileTimeToSystemTime(&utc, &universal);
    ::SystemTimeToTzSpecificLocalTime(nullptr, &universal, &local);
    wchar_t line[64];
    std::swprintf(line, std::size(line), L"現在： %d時%d分%d秒 （%d年%d月%d日[%ls])", local.wHour, local.wMinute,
                  local.wSecond, local.wYear, local.wMonth, local.wDay, kWeekdays[local.wDayOfWeek % 7]);
    return line;
}

using FreshStart = ProgramTest;

TEST_F(FreshStart, ShowsDefaultsAndWritesNothing) {
    ASSERT_FALSE(settings::KeyExists());
    HWND main = StartProgram();
    ASSERT_TRUE(main);

    EXPECT_EQ(CheckedAction(main), IDC_MAIN_SHUTDOWN);
    EXPECT_FALSE(IsChecked(main, IDC_MAIN_FORCE));
    EXPECT_FALSE(IsChecked(main, IDC_MAIN_TEST));
    for (const NumberCombo& combo : kNumberCombos) {
        EXPECT_EQ(ControlText(main, combo.id), L"0") << "combo " << combo.id;
        EXPECT_EQ(ComboSelection(main, combo.id), 0) << "combo " << combo.id;
    }
    EXPECT_EQ(ControlText(main, IDC_MAIN_SUMMARY), L"\r\nサウンド設定： 無音\r\n終了予定時間： 0月0日0時0分\r\n");
    EXPECT_EQ(ControlText(main, IDC_MAIN_RUN), L"処理実行");

    // Reading the settings created the key; nothing was written into it.
    EXPECT_TRUE(settings::KeyExists());
    EXPECT_TRUE(settings::ValueNames().empty());
    EXPECT_FALSE(startup::Read().has_value());
}

TEST_F(FreshStart, CombosHoldAscendingNumbersFromZero) {
    HWND main = StartProgram();
    ASSERT_TRUE(main);
    for (const NumberCombo& combo : kNumberCombos) {
        SCOPED_TRACE(combo.id);
        ASSERT_EQ(ComboCount(main, combo.id), combo.maximum + 1);
        for (int i = 0; i <= combo.maximum; ++i) EXPECT_EQ(ComboItem(main, combo.id, i), std::to_wstring(i));
    }
}

TEST_F(FreshStart, ClockLineShowsTheLocalTimeAndTicks) {
    HWND main = StartProgram();
    ASSERT_TRUE(main);
    std::wstring line;
    ASSERT_TRUE(WaitUntil([&] { return !(line = ControlText(main, IDC_MAIN_CLOCK)).empty(); }));
    const FILETIME seen = NowUtc();
    EXPECT_EQ(line.rfind(L"現在：", 0), 0u) << ::testing::PrintToString(line);
    // The line is rewritten once a second, so it shows one of the last few
    // seconds (a margin for a busy machine).
    std::vector<std::wstring> recent;
    for (int back = 0; back <= 5; ++back) recent.push_back(ClockLineAt(SecondsBefore(seen, back)));
    EXPECT_NE(std::find(recent.begin(), recent.end(), line), recent.end())
        << ::testing::PrintToString(line) << " is none of " << ::testing::PrintToString(recent);
    EXPECT_TRUE(WaitUntil([&] { return ControlText(main, IDC_MAIN_CLOCK) != line; }, 5000)) << "the clock stands";
}

// ---- Stored settings -------------------------------------------------------------

using RestoredState = ProgramTest;

TEST_F(RestoredState, ControlsAndSummaryShowStoredValues) {
    settings::WriteDword(L"WAYTOEND", 3);
    settings::WriteDword(L"NEXT_REG", 2);
    settings::WriteDword(L"FORCECHECK", 1);
    settings::WriteDword(L"TESTCHECK", 1);
    settings::WriteDword(L"MONTH", 12);
    settings::WriteDword(L"DAY", 31);
    settings::WriteDword(L"HOUR", 23);
    settings::WriteDword(L"MINUTE", 59);
    settings::WriteDword(L"MINUTE2", 1);
    const std::vector<std::wstring> stored = settings::ValueNames();

    HWND main = StartProgram();
    ASSERT_TRUE(main);
    EXPECT_EQ(CheckedAction(main), IDC_MAIN_STANDBY);
    EXPECT_TRUE(IsChecked(main, IDC_MAIN_FORCE));
    EXPECT_TRUE(IsChecked(main, IDC_MAIN_TEST));
    // "1" selects "1" and not "10"; "12" selects "12" and not "1".
    const std::pair<int, const wchar_t*> shown[] = {
        {IDC_MAIN_END_MONTH, L"12"},  {IDC_MAIN_END_DAY, L"31"},    {IDC_MAIN_END_HOUR, L"23"},
        {IDC_MAIN_END_MINUTE, L"59"}, {IDC_MAIN_WAKE_MONTH, L"0"},  {IDC_MAIN_WAKE_DAY, L"0"},
        {IDC_MAIN_WAKE_HOUR, L"0"},   {IDC_MAIN_WAKE_MINUTE, L"1"},
    };
    for (const auto& [id, text] : shown) EXPECT_EQ(ControlText(main, id), text) << "combo " << id;
    // The summary is built after the combos have been restored.
    EXPECT_EQ(ControlText(main, IDC_MAIN_SUMMARY),
              L"復帰時：指定時間終了を実行\r\nサウンド設定： 無音\r\n終了予定時間： 12月31日23時59分\r\n"
              L"復帰予定時間： 0月0日0時1分\r\n■テストモード  ★強制モード");
    EXPECT_EQ(settings::ValueNames(), stored) << "start-up wrote a value";
}

TEST_F(RestoredState, ComboValuesWithoutItemSelectNothing) {
    settings::WriteDword(L"MONTH", 13);
    settings::WriteDword(L"DAY", 0xFFFFFFFF);  // "-1": short enough, but no item
    settings::WriteDword(L"HOUR", 100);
    settings::WriteDword(L"MONTH2", 123456);  // longer than any item
    settings::WriteDword(L"MINUTE2", 0x80000000);

    HWND main = StartProgram();
    ASSERT_TRUE(main);
    for (int id :
         {IDC_MAIN_END_MONTH, IDC_MAIN_END_DAY, IDC_MAIN_END_HOUR, IDC_MAIN_WAKE_MONTH, IDC_MAIN_WAKE_MINUTE}) {
        EXPECT_EQ(ComboSelection(main, id), CB_ERR) << "combo " << id;
        EXPECT_EQ(ControlText(main, id), L"") << "combo " << id;
    }
    EXPECT_EQ(ControlText(main, IDC_MAIN_END_MINUTE), L"0");
    EXPECT_EQ(ControlText(main, IDC_MAIN_SUMMARY), L"\r\nサウンド設定： 無音\r\n終了予定時間： 月日時0分\r\n");
    EXPECT_EQ(settings::ReadDword(L"MONTH2"), 123456u) << "start-up rewrote a stored value";
}

// ---- Stored data that does not fit -----------------------------------------------

struct StoredValue {
    const wchar_t* name;
    DWORD type;
    std::vector<BYTE> data;
};

StoredValue Dword(const wchar_t* name, DWORD value) {
    std::vector<BYTE> data(sizeof value);
    std::memcpy(data.data(), &value, sizeof value);
    return {name, REG_DWORD, data};
}

StoredValue Text(const wchar_t* name, const std::wstring& text) {
    std::vector<BYTE> data((text.size() + 1) * sizeof(wchar_t));
    std::memcpy(data.data(), text.c_str(), data.size());
    return {name, REG_SZ, data};
}

StoredValue Raw(const wchar_t* name, DWORD type, std::vector<BYTE> data) { return {name, type, std::move(data)}; }

// A path of `units` characters that still looks like one.
std::wstring LongPath(std::size_t units) {
    std::wstring path = L"C:\\";
    while (path.size() < units - 8) path += L"ディレクトリ\\";
    path.resize(units - 8, L'x');
    return path + L"\\あ.wav.";
}

struct BadDataCase {
    const char* label;
    std::vector<StoredValue> values;
    int checkedAction;             // the radio button checked afterwards; 0 for none
    std::vector<int> emptyCombos;  // combos left without selection
};

std::vector<BadDataCase> BadDataCases() {
    return {
        {"TextOf2000Characters", {Text(L"TEXT", std::wstring(2000, L'あ'))}, IDC_MAIN_SHUTDOWN, {}},
        {"PathsLongerThanTheirBuffers",
         {Text(L"MY_SOUND", LongPath(300)), Text(L"PROGRAM", LongPath(261)),
          Text(L"PROGRAM_COMMANDLINE", std::wstring(5000, L'-')), Dword(L"WAYTOEND", 4), Dword(L"NEXT_REG", 3)},
         IDC_MAIN_HIBERNATE,
         {}},
        {"BinarySoundOf5000Bytes",
         {Raw(L"MY_SOUND", REG_BINARY, std::vector<BYTE>(5000, 0x41))},
         IDC_MAIN_SHUTDOWN,
         {}},
        {"TextsWithoutTerminatorOrWithOddSize",
         {Raw(L"TEXT", REG_SZ, {0x42, 0x30, 0x43, 0x30, 0x44, 0x30, 0x45}), Raw(L"PROGRAM", REG_SZ, {0x41}),
          Raw(L"MY_SOUND", REG_SZ, {})},
         IDC_MAIN_SHUTDOWN,
         {}},
        {"DwordsStoredAsText",
         {Text(L"WAYTOEND", L"3"), Text(L"COUNTDOWNTIME", L"20"), Text(L"MONTH", L"5")},
         IDC_MAIN_SHUTDOWN,
         {}},
        {"DwordsOf2Or8Bytes",
         {Raw(L"WAYTOEND", REG_DWORD, {3, 0}), Raw(L"COUNTDOWNTIME", REG_DWORD, {20, 0, 0, 0, 0, 0, 0, 0}),
          Raw(L"FORCECHECK", REG_DWORD, {}), Raw(L"MONTH", REG_DWORD, {5, 0, 0, 0, 1, 0, 0, 0})},
         IDC_MAIN_SHUTDOWN,
         {}},
        {"TextsStoredAsDword", {Dword(L"TEXT", 0x30423042), Dword(L"PROGRAM", 7)}, IDC_MAIN_SHUTDOWN, {}},
        {"ChosenSoundWithOverlongPath",
         {Dword(L"SOUND", 4), Text(L"MY_SOUND", LongPath(1000)), Dword(L"COUNTDOWNTIME", 0xFFFFFFFF)},
         IDC_MAIN_SHUTDOWN,
         {}},
        {"SoundAndResumeModesOutOfRange",
         {Dword(L"SOUND", 0xFFFFFFFF), Dword(L"NEXT_REG", 99), Dword(L"WAYTOEND", 3)},
         IDC_MAIN_STANDBY,
         {}},
        {"ActionOf7", {Dword(L"WAYTOEND", 7)}, 0, {}},
        {"ActionOfAllOnes", {Dword(L"WAYTOEND", 0xFFFFFFFF), Dword(L"NEXT_REG", 0xFFFFFFFF)}, 0, {}},
        {"MonthOf123456",
         {Dword(L"MONTH", 123456), Dword(L"DAY2", 0x80000000)},
         IDC_MAIN_SHUTDOWN,
         {IDC_MAIN_END_MONTH, IDC_MAIN_WAKE_DAY}},
    };
}

void PrintTo(const BadDataCase& badData, std::ostream* out) { *out << badData.label; }

class StoredDataRobustness : public ProgramTestWithParam<BadDataCase> {};

TEST_P(StoredDataRobustness, StartsAnswersAndEnds) {
    for (const StoredValue& value : GetParam().values) {
        settings::Write(value.name, value.type, value.data.data(), value.data.size());
    }

    HWND main = StartProgram();
    ASSERT_TRUE(main);
    EXPECT_TRUE(Responds(main));
    EXPECT_TRUE(::IsWindowVisible(main));
    EXPECT_EQ(CheckedAction(main), GetParam().checkedAction);
    for (int id : GetParam().emptyCombos) EXPECT_EQ(ControlText(main, id), L"") << "combo " << id;
    EXPECT_FALSE(ControlText(main, IDC_MAIN_SUMMARY).empty());
    EXPECT_TRUE(Responds(main));

    EXPECT_EQ(EndWithBye(*program(), main), 1u);
    // Nothing was repaired or rewritten behind the user's back.
    for (const StoredValue& value : GetParam().values) {
        const std::optional<RegValue> now = settings::Read(value.name);
        ASSERT_TRUE(now.has_value()) << ::testing::PrintToString(std::wstring(value.name));
        EXPECT_EQ(now->type, value.type);
        EXPECT_EQ(now->data, value.data);
    }
}

INSTANTIATE_TEST_SUITE_P(BadStoredData, StoredDataRobustness, ::testing::ValuesIn(BadDataCases()),
                         [](const ::testing::TestParamInfo<BadDataCase>& info) { return info.param.label; });

}  // namespace
