// The number combos of the main window: filling, restoring a stored value by
// prefix search, and storing the number shown, on the real dialog template.
#include <gtest/gtest.h>

#include <windows.h>
#include <shlwapi.h>

#include <algorithm>
#include <cstdint>
#include <cwchar>
#include <iterator>
#include <string>

#include "app/main_window.h"
#include "fake_system.h"
#include "res/resource.h"
#include "settings/store.h"
#include "state/app_state.h"
#include "ui/program_windows.h"

namespace {

struct ComboSetting {
    int id;
    int maximum;
    const wchar_t* name;
};

constexpr ComboSetting kCombos[] = {
    {IDC_MAIN_END_MONTH, 12, value::MONTH},   {IDC_MAIN_END_DAY, 31, value::DAY},
    {IDC_MAIN_END_HOUR, 23, value::HOUR},     {IDC_MAIN_END_MINUTE, 59, value::MINUTE},
    {IDC_MAIN_WAKE_MONTH, 12, value::MONTH2}, {IDC_MAIN_WAKE_DAY, 31, value::DAY2},
    {IDC_MAIN_WAKE_HOUR, 23, value::HOUR2},   {IDC_MAIN_WAKE_MINUTE, 59, value::MINUTE2},
};

INT_PTR CALLBACK InertDialogProc(HWND, UINT, WPARAM, LPARAM) { return FALSE; }

// Selects the combo item for the value stored under `name`, as a start does.
void SelectComboFromSetting(HWND window, int id, const wchar_t* name) {
    std::uint32_t stored = 0;
    ReadSettingDword(name, stored);
    SelectComboValue(window, id, stored);
}

void ClearSettingsKey() {
    ::SHDeleteKeyW(HKEY_CURRENT_USER, kSettingsKeyPath);
    ::RegDeleteKeyW(HKEY_CURRENT_USER, kSettingsKeyPath);
}

// The stored DWORD, or nothing when the value is absent or not a DWORD.
bool StoredDword(const wchar_t* name, std::uint32_t& value) {
    std::uint32_t data = 0;
    DWORD type = 0;
    DWORD bytes = sizeof data;
    if (::RegGetValueW(HKEY_CURRENT_USER, kSettingsKeyPath, name, RRF_RT_ANY, &type, &data, &bytes) != ERROR_SUCCESS)
        return false;
    if (type != REG_DWORD || bytes != 4) return false;
    value = data;
    return true;
}

// A hidden main-window template with an inert procedure: the real combos,
// without the initialisation of the program.
class Combos : public ::testing::Test {
protected:
    void SetUp() override {
        ClearSettingsKey();
        dialog_ = ::CreateDialogParamW(App().instance, MAKEINTRESOURCEW(IDD_MAIN), nullptr, InertDialogProc, 0);
        ASSERT_NE(nullptr, dialog_);
        ASSERT_FALSE(::IsWindowVisible(dialog_));
    }
    void TearDown() override {
        if (dialog_) ::DestroyWindow(dialog_);
        ClearSettingsKey();
    }

    void FillAll() {
        for (const ComboSetting& c : kCombos) FillNumberCombo(c.maximum, dialog_, c.id);
    }
    LRESULT Send(int id, UINT message, WPARAM w = 0, LPARAM l = 0) {
        return ::SendDlgItemMessageW(dialog_, id, message, w, l);
    }
    std::wstring Shown(int id) {
        wchar_t text[16] = {};
        ::GetDlgItemTextW(dialog_, id, text, static_cast<int>(std::size(text)));
        return text;
    }
    std::wstring Item(int id, int index) {
        wchar_t text[16] = {};
        if (Send(id, CB_GETLBTEXTLEN, index) >= static_cast<LRESULT>(std::size(text))) return L"<too long>";
        Send(id, CB_GETLBTEXT, index, reinterpret_cast<LPARAM>(text));
        return text;
    }

    HWND dialog_ = nullptr;
    FakeSystem fake_;
    ScopedSystem scoped_{fake_};

private:
};

TEST_F(Combos, FillGivesAscendingNumbersFromZero) {
    FillAll();
    for (const ComboSetting& c : kCombos) {
        SCOPED_TRACE(c.id);
        ASSERT_EQ(c.maximum + 1, Send(c.id, CB_GETCOUNT));
        for (int i = 0; i <= c.maximum; ++i) EXPECT_EQ(std::to_wstring(i), Item(c.id, i));
        EXPECT_EQ(CB_ERR, Send(c.id, CB_GETCURSEL));
    }
}

TEST_F(Combos, EveryStoredValueInRangeSelectsItsOwnItem) {
    FillAll();
    for (const ComboSetting& c : kCombos) {
        for (int value = 0; value <= c.maximum; ++value) {
            SCOPED_TRACE(testing::Message() << "combo " << c.id << " value " << value);
            WriteSettingDword(c.name, static_cast<std::uint32_t>(value));
            Send(c.id, CB_SETCURSEL, static_cast<WPARAM>(-1));
            SelectComboFromSetting(dialog_, c.id, c.name);
            EXPECT_EQ(value, Send(c.id, CB_GETCURSEL));
            EXPECT_EQ(std::to_wstring(value), Shown(c.id));
        }
    }
}

TEST_F(Combos, AbsentValueSelectsZero) {
    FillAll();
    SelectComboFromSetting(dialog_, IDC_MAIN_END_DAY, value::DAY);
    EXPECT_EQ(0, Send(IDC_MAIN_END_DAY, CB_GETCURSEL));
    EXPECT_EQ(L"0", Shown(IDC_MAIN_END_DAY));
}

TEST_F(Combos, ValueWithoutItemSelectsNothing) {
    FillAll();
    for (std::uint32_t stored : {13u, 99u, 100u, 999u, 123456u, 0xFFFFFFFFu, 0x80000000u}) {
        SCOPED_TRACE(stored);
        WriteSettingDword(value::MONTH, stored);
        SelectComboFromSetting(dialog_, IDC_MAIN_END_MONTH, value::MONTH);
        EXPECT_EQ(CB_ERR, Send(IDC_MAIN_END_MONTH, CB_GETCURSEL));
        EXPECT_EQ(L"", Shown(IDC_MAIN_END_MONTH));
    }
}

TEST(ComboSearchText, FitsThreeCharactersOrGivesNothing) {
    const struct {
        std::uint32_t value;
        bool fits;
        const wchar_t* text;
    } cases[] = {
        {0, true, L"0"},
        {12, true, L"12"},
        {999, true, L"999"},
        {1000, false, L""},
        {123456, false, L""},
        {0xFFFFFFFFu, true, L"-1"},  // read as signed
        {static_cast<std::uint32_t>(-99), true, L"-99"},
        {static_cast<std::uint32_t>(-100), false, L""},
        {0x80000000u, false, L""},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.value);
        struct {
            wchar_t text[4];
            wchar_t guard[4];
        } area;
        std::fill(std::begin(area.text), std::end(area.text), L'#');
        std::fill(std::begin(area.guard), std::end(area.guard), L'#');
        EXPECT_EQ(c.fits, ComboSearchText(c.value, area.text));
        EXPECT_STREQ(c.text, area.text);
        for (wchar_t unit : area.guard) EXPECT_EQ(L'#', unit);
    }
}

TEST_F(Combos, SaveStoresTheNumberShown) {
    FillAll();
    for (const ComboSetting& c : kCombos) {
        SCOPED_TRACE(c.id);
        for (int index : {0, 1, 10, c.maximum}) {
            Send(c.id, CB_SETCURSEL, index);
            SaveComboSetting(c.id, dialog_, c.name);
            std::uint32_t stored = 0xFFFF;
            ASSERT_TRUE(StoredDword(c.name, stored));
            EXPECT_EQ(static_cast<std::uint32_t>(index), stored);
        }
    }
    EXPECT_TRUE(fake_.messages.empty());
}

TEST_F(Combos, UnselectedComboStoresZero) {
    FillAll();
    WriteSettingDword(value::MONTH, 13);
    SelectComboFromSetting(dialog_, IDC_MAIN_END_MONTH, value::MONTH);
    SaveComboSetting(IDC_MAIN_END_MONTH, dialog_, value::MONTH);
    std::uint32_t stored = 0xFFFF;
    ASSERT_TRUE(StoredDword(value::MONTH, stored));
    EXPECT_EQ(0u, stored);
}

// Every notification of a combo reaches the main window's dispatch, which
// stores that combo's value under its own name and no other.
TEST_F(Combos, CommandFromEachComboStoresItsOwnValue) {
    FillAll();
    for (const ComboSetting& c : kCombos) {
        SCOPED_TRACE(c.id);
        ClearSettingsKey();
        Send(c.id, CB_SETCURSEL, 7);
        MainDialogProc(dialog_, WM_COMMAND, MAKEWPARAM(c.id, CBN_SELCHANGE),
                       reinterpret_cast<LPARAM>(::GetDlgItem(dialog_, c.id)));
        for (const ComboSetting& other : kCombos) {
            std::uint32_t stored = 0xFFFF;
            const bool present = StoredDword(other.name, stored);
            EXPECT_EQ(other.id == c.id, present) << "value of combo " << other.id;
            if (present) {
                EXPECT_EQ(7u, stored);
            }
        }
    }
}

TEST_F(Combos, SaveRebuildsTheSummaryOfTheMainWindow) {
    FillAll();
    programWindows.main = dialog_;
    Send(IDC_MAIN_END_MONTH, CB_SETCURSEL, 12);
    Send(IDC_MAIN_END_DAY, CB_SETCURSEL, 31);
    Send(IDC_MAIN_END_HOUR, CB_SETCURSEL, 23);
    SaveComboSetting(IDC_MAIN_END_HOUR, dialog_, value::HOUR);
    wchar_t summary[1024] = {};
    ::GetDlgItemTextW(dialog_, IDC_MAIN_SUMMARY, summary, static_cast<int>(std::size(summary)));
    // The unselected minute combo shows as an empty number.
    EXPECT_NE(nullptr, std::wcsstr(summary, L"12月31日23時分")) << testing::PrintToString(std::wstring(summary));
}

}  // namespace
