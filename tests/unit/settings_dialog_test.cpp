// The settings dialog on a real window from its template, with the registry of
// the test prefix and the open-file dialog answered through the fake seam:
// what each stored state opens with, what every control writes, and the
// seconds field's text in both directions.
#include <gtest/gtest.h>

#include <algorithm>
#include <climits>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "fake_system.h"
#include "platform/handle.h"
#include "platform/text.h"
#include "res/resource.h"
#include "settings/store.h"
#include "ui/dialogs.h"
#include "ui/settings_logic.h"
#include "ui_test_support.h"

namespace {

using test_support::ItemText;
using test_support::TestDialog;

const std::vector<int> kResumeRadios = {IDC_SET_NO_WAKE, IDC_SET_WAKE_IDLE,
                                        IDC_SET_RESUME_SCHEDULED, IDC_SET_PROGRAM_THEN_SCHEDULED,
                                        IDC_SET_PROGRAM_THEN_END};
const std::vector<int> kProgramControls = {IDC_SET_PROGRAM_NAME, IDC_SET_ARGUMENTS,
                                           IDC_SET_CHOOSE_PROGRAM};
const std::vector<int> kSoundRadios = {IDC_SET_SILENT, IDC_SET_TEN_COUNT, IDC_SET_HEARTBEAT,
                                       IDC_SET_BEEP, IDC_SET_CHOSEN_SOUND};
const std::vector<int> kSoundControls = {IDC_SET_EXPLOSION, IDC_SET_SECONDS, IDC_SET_SOUND_NAME,
                                         IDC_SET_CHOOSE_SOUND};

// A value's stored UTF-16 units, terminator included; nothing if absent.
std::optional<std::wstring> StoredUnits(const wchar_t* path, const wchar_t* name) {
    OwnedKey key;
    if (::RegOpenKeyExW(HKEY_CURRENT_USER, path, 0, KEY_READ, key.put()) != ERROR_SUCCESS)
        return std::nullopt;
    wchar_t data[2048];
    DWORD bytes = sizeof data;
    if (::RegQueryValueExW(key.get(), name, nullptr, nullptr, reinterpret_cast<BYTE*>(data),
                           &bytes) != ERROR_SUCCESS)
        return std::nullopt;
    return std::wstring(data, bytes / sizeof(wchar_t));
}

std::wstring Terminated(const std::wstring& text) {
    return text + L'\0';
}

std::uint32_t StoredDword(const wchar_t* name) {
    std::uint32_t stored = 0xBAD;
    ReadSettingDword(name, stored);
    return stored;
}

void ClearStore() {
    ::RegDeleteTreeW(HKEY_CURRENT_USER, kSettingsKeyPath);
    OwnedKey run;
    if (::RegOpenKeyExW(HKEY_CURRENT_USER, kRunKeyPath, 0, KEY_ALL_ACCESS, run.put()) ==
        ERROR_SUCCESS)
        ::RegDeleteValueW(run.get(), kRunValueName);
}

class SettingsDialogTest : public ::testing::Test {
  protected:
    void SetUp() override {
        ClearStore();
        app.mainWindow = main_.get();
        app.WAYTOEND = EndAction::Standby;
        app.COUNTDOWNTIME = 10;
    }
    void TearDown() override {
        dialog_.reset();
        EXPECT_TRUE(fake_.messages.empty()) << "a box was shown";
        test_support::ResetAppState();
        ClearStore();
    }

    HWND Open() {
        dialog_.reset();  // the old one forgets its handle as it goes
        dialog_ = std::make_unique<TestDialog>(IDD_SETTINGS, SettingsDialogProc);
        return dialog_->get();
    }
    HWND Item(int id) const { return dialog_->Item(id); }
    bool Enabled(int id) const { return ::IsWindowEnabled(Item(id)) != FALSE; }
    bool Checked(int id) const { return ::IsDlgButtonChecked(dialog_->get(), id) == BST_CHECKED; }
    void Click(int id) const { ::SendMessageW(Item(id), BM_CLICK, 0, 0); }
    std::wstring Summary() const { return ItemText(main_.get(), IDC_MAIN_SUMMARY); }
    void ExpectOnly(const std::vector<int>& ids, int checked) const {
        for (int id : ids) EXPECT_EQ(id == checked, Checked(id)) << "control " << id;
    }

    FakeSystem fake_;
    ScopedSystem seam_{fake_};
    TestDialog main_{IDD_MAIN};
    std::unique_ptr<TestDialog> dialog_;
};

TEST_F(SettingsDialogTest, OpensWithTheStoredChoices) {
    struct Case {
        const char* what;
        EndAction action;
        std::uint32_t resume, sound;
        int resumeChecked;  // 0: none
        bool radios, program;
        int soundChecked;
        std::vector<int> soundEnabled;
    };
    const Case cases[] = {
        {"chosen sound",
         EndAction::Standby,
         0,
         4,
         IDC_SET_NO_WAKE,
         true,
         false,
         IDC_SET_CHOSEN_SOUND,
         {IDC_SET_SECONDS, IDC_SET_SOUND_NAME, IDC_SET_CHOOSE_SOUND}},
        {"standby, wake idle",
         EndAction::Standby,
         1,
         0,
         IDC_SET_WAKE_IDLE,
         true,
         false,
         IDC_SET_SILENT,
         {}},
        {"log-off, program then end",
         EndAction::Logoff,
         4,
         1,
         IDC_SET_PROGRAM_THEN_END,
         false,
         true,
         IDC_SET_TEN_COUNT,
         {IDC_SET_EXPLOSION}},
        {"shutdown, program then scheduled",
         EndAction::Shutdown,
         3,
         2,
         IDC_SET_PROGRAM_THEN_SCHEDULED,
         false,
         true,
         IDC_SET_HEARTBEAT,
         {IDC_SET_SECONDS}},
        // Unknown values: no resume button checked, the ten-count in memory
        // only, and controls without a row keep the template's state.
        {"sound 7, resume 9",
         EndAction::Hibernate,
         9,
         7,
         0,
         true,
         true,
         IDC_SET_TEN_COUNT,
         {IDC_SET_SECONDS, IDC_SET_SOUND_NAME, IDC_SET_CHOOSE_SOUND}},
        {"reboot, resume 9",
         EndAction::Reboot,
         9,
         3,
         0,
         false,
         false,
         IDC_SET_BEEP,
         {IDC_SET_SECONDS}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        app.WAYTOEND = c.action;
        app.NEXT_REG = static_cast<ResumeMode>(c.resume);
        app.SOUND = static_cast<SoundMode>(c.sound);
        ASSERT_NE(nullptr, Open());
        EXPECT_EQ(dialog_->get(), app.settingsWindow.load());
        ExpectOnly(kResumeRadios, c.resumeChecked);
        for (int id : kResumeRadios) EXPECT_EQ(c.radios, Enabled(id)) << "control " << id;
        for (int id : kProgramControls) EXPECT_EQ(c.program, Enabled(id)) << "control " << id;
        ExpectOnly(kSoundRadios, c.soundChecked);
        for (int id : kSoundControls)
            EXPECT_EQ(std::count(c.soundEnabled.begin(), c.soundEnabled.end(), id) == 1,
                      Enabled(id))
                << "control " << id;
        EXPECT_TRUE(Enabled(IDC_SET_SECONDS_SPIN));
        EXPECT_EQ(c.sound > 4 ? SoundMode::TenCount : static_cast<SoundMode>(c.sound),
                  app.SOUND.load());
        EXPECT_EQ(0xBADu, StoredDword(value::SOUND));
        EXPECT_EQ(0xBADu, StoredDword(value::NEXT_REG));
    }
}

TEST_F(SettingsDialogTest, SoundButtonsWriteAndApplyTheirRow) {
    app.SOUND = SoundMode::ChosenSound;
    Open();
    const struct {
        int id;
        const wchar_t* summary;
        std::vector<int> enabled;
    } steps[] = {
        {IDC_SET_SILENT, L"サウンド設定： 無音\r\n", {}},
        {IDC_SET_TEN_COUNT, L"サウンド設定： テンカウントダウン\r\n", {IDC_SET_EXPLOSION}},
        {IDC_SET_EXPLOSION,
         L"サウンド設定： テンカウントダウン(爆発音あり)\r\n",
         {IDC_SET_EXPLOSION}},
        {IDC_SET_HEARTBEAT, L"サウンド設定： 鼓動音 (最大10秒間)\r\n", {IDC_SET_SECONDS}},
        {IDC_SET_BEEP, L"サウンド設定： ビープ音 (最大10秒間)\r\n", {IDC_SET_SECONDS}},
        {IDC_SET_CHOSEN_SOUND,
         L"サウンド設定： 選択音 (最大10秒間) [サウンド： ]\r\n",
         {IDC_SET_SECONDS, IDC_SET_SOUND_NAME, IDC_SET_CHOOSE_SOUND}},
    };
    for (const auto& step : steps) {
        SCOPED_TRACE(step.id);
        Click(step.id);
        for (int id : kSoundControls)
            EXPECT_EQ(std::count(step.enabled.begin(), step.enabled.end(), id) == 1, Enabled(id))
                << "control " << id;
        EXPECT_EQ(static_cast<std::uint32_t>(app.SOUND.load()), StoredDword(value::SOUND));
        EXPECT_NE(std::wstring::npos, Summary().find(step.summary))
            << testing::PrintToString(Summary());
    }
    EXPECT_EQ(SoundMode::ChosenSound, app.SOUND.load());
    EXPECT_EQ(1u, StoredDword(value::EXPLOSION_SOUND));
}

TEST_F(SettingsDialogTest, ResumeButtonsLeaveExactlyOneChecked) {
    app.NEXT_REG = ResumeMode::WakeIdle;
    Open();
    const std::pair<int, std::uint32_t> steps[] = {
        {IDC_SET_PROGRAM_THEN_SCHEDULED, 3}, {IDC_SET_NO_WAKE, 0},
        {IDC_SET_PROGRAM_THEN_END, 4},       {IDC_SET_PROGRAM_THEN_SCHEDULED, 3},
        {IDC_SET_RESUME_SCHEDULED, 2},       {IDC_SET_WAKE_IDLE, 1},
    };
    for (const auto& [id, mode] : steps) {
        SCOPED_TRACE(id);
        Click(id);
        ExpectOnly(kResumeRadios, id);
        EXPECT_EQ(mode, StoredDword(value::NEXT_REG));
        EXPECT_EQ(mode, static_cast<std::uint32_t>(app.NEXT_REG.load()));
        for (int control : kProgramControls)
            EXPECT_EQ(mode >= 3, Enabled(control)) << "control " << control;
    }
    EXPECT_EQ(0u, Summary().find(L"復帰時：何もしない\r\n"));
}

TEST_F(SettingsDialogTest, OpeningShowsAndWritesBackAnyStoredSeconds) {
    const struct {
        std::int32_t memory;
        const wchar_t* shown;
        std::uint32_t stored;
    } cases[] = {
        {10, L"10", 10},          {999, L"999", 999},
        {12345, L"12345", 12345}, {INT32_MAX, L"2147483647", INT32_MAX},
        {-1, L"-1", 0},           {INT32_MIN, L"-2147483648", 0},
    };
    app.PROGRAM_COMMANDLINE.Set(L"-x \"a b\"");
    for (const auto& c : cases) {
        SCOPED_TRACE(c.memory);
        app.COUNTDOWNTIME = c.memory;
        Open();
        EXPECT_EQ(c.shown, ItemText(dialog_->get(), IDC_SET_SECONDS));
        EXPECT_EQ(c.stored, StoredDword(value::COUNTDOWNTIME));
        EXPECT_EQ(static_cast<std::int32_t>(c.stored), app.COUNTDOWNTIME.load());
        EXPECT_EQ(Terminated(L"-x \"a b\""),
                  StoredUnits(kSettingsKeyPath, value::PROGRAM_COMMANDLINE));
    }
}

TEST_F(SettingsDialogTest, SecondsFieldTakesThreeDigitsAndTheArrowsStayWithin0To999) {
    app.SOUND = SoundMode::Beep;  // the field and so its arrows are usable
    Open();
    HWND field = Item(IDC_SET_SECONDS);
    EXPECT_EQ(field, reinterpret_cast<HWND>(
                         ::SendMessageW(Item(IDC_SET_SECONDS_SPIN), UDM_GETBUDDY, 0, 0)));
    ::SetWindowTextW(field, L"");
    EXPECT_EQ(0u, StoredDword(value::COUNTDOWNTIME));
    for (wchar_t typed : {L'1', L'x', L'2', L'3', L'4'}) ::SendMessageW(field, WM_CHAR, typed, 0);
    EXPECT_EQ(L"123", ItemText(dialog_->get(), IDC_SET_SECONDS));
    EXPECT_EQ(123u, StoredDword(value::COUNTDOWNTIME));

    RECT arrows;
    ::GetClientRect(Item(IDC_SET_SECONDS_SPIN), &arrows);
    const struct {
        const wchar_t* before;
        bool up;
        const wchar_t* after;
    } steps[] = {
        {L"123", true, L"124"}, {L"999", true, L"999"}, {L"1", false, L"0"}, {L"0", false, L"0"}};
    for (const auto& step : steps) {
        for (bool mouse : {false, true}) {
            SCOPED_TRACE(testing::Message() << (mouse ? "arrow button " : "arrow key ") << step.up);
            ::SetWindowTextW(field, step.before);
            if (mouse) {
                const LPARAM at = MAKELPARAM(arrows.right / 2,
                                             step.up ? arrows.bottom / 4 : arrows.bottom * 3 / 4);
                ::SendMessageW(Item(IDC_SET_SECONDS_SPIN), WM_LBUTTONDOWN, MK_LBUTTON, at);
                ::SendMessageW(Item(IDC_SET_SECONDS_SPIN), WM_LBUTTONUP, 0, at);
            } else {
                ::SendMessageW(field, WM_KEYDOWN, step.up ? VK_UP : VK_DOWN, 0);
                ::SendMessageW(field, WM_KEYUP, step.up ? VK_UP : VK_DOWN, 0);
            }
            EXPECT_EQ(step.after, ItemText(dialog_->get(), IDC_SET_SECONDS));
            EXPECT_EQ(std::stoul(step.after), StoredDword(value::COUNTDOWNTIME));
        }
    }
}

TEST_F(SettingsDialogTest, StartupRegistrationOnOffOn) {
    wchar_t self[MAX_PATH] = {};
    ::GetModuleFileNameW(nullptr, self, MAX_PATH);
    Open();
    for (bool on : {true, false, true}) {
        SCOPED_TRACE(on);
        Click(IDC_SET_STARTUP);
        EXPECT_EQ(Terminated(on ? StartupCommand(self) : L""),
                  StoredUnits(kRunKeyPath, kRunValueName));
        EXPECT_EQ(on ? 1u : 0u, StoredDword(value::STARTUPCHECK));
        EXPECT_EQ(on ? 1u : 0u, app.STARTUPCHECK.load());
        EXPECT_EQ(on,
                  Summary().rfind(L"起動時：ｽﾀｰﾄｱｯﾌﾟ登録し、｢指定時間終了」を実行\r\n", 0) == 0);
    }
}

TEST_F(SettingsDialogTest, ChoosingAFileReplacesTheSettingAndACancelClearsIt) {
    const std::wstring longest = L"C:\\" + std::wstring(252, L'x') + L".exe";  // 259 units
    const struct {
        int button, nameField;
        const wchar_t* name;
        SharedText<kPathUnits>* setting;
        const wchar_t *summaryBefore, *summaryAfter;
    } files[] = {
        {IDC_SET_CHOOSE_PROGRAM, IDC_SET_PROGRAM_NAME, value::PROGRAM, &app.PROGRAM, L"[ﾌﾟﾛｸﾞﾗﾑ： ",
         L"  引数"},
        {IDC_SET_CHOOSE_SOUND, IDC_SET_SOUND_NAME, value::MY_SOUND, &app.MY_SOUND, L"[サウンド： ",
         L"]"},
    };
    // What the dialog answers, and what the setting holds afterwards.
    const std::pair<std::optional<std::wstring>, std::wstring> answers[] = {
        {L"D:\\新しい フォルダー\\after.wav", L"D:\\新しい フォルダー\\after.wav"},
        {std::nullopt, L""},
        {longest, longest},
        {L"C:\\" + std::wstring(300, L'y'), L""},  // does not fit: the dialog fails
    };
    app.NEXT_REG = ResumeMode::WakeRunProgramThenScheduledEnd;
    app.SOUND = SoundMode::ChosenSound;
    for (const auto& file : files) {
        file.setting->Set(L"C:\\old\\before.exe");
        Open();
        EXPECT_EQ(L"before.exe", ItemText(dialog_->get(), file.nameField));
        std::wstring previous = L"C:\\old\\before.exe";
        for (const auto& [answer, expected] : answers) {
            SCOPED_TRACE(testing::PrintToString(expected));
            fake_.chosenFile = answer;
            Click(file.button);
            const FakeSystem::FileDialog& shown = fake_.fileDialogs.back();
            EXPECT_EQ(sizeof(OPENFILENAMEW), shown.record.lStructSize);
            EXPECT_EQ(dialog_->get(), shown.record.hwndOwner);
            EXPECT_EQ(260u, shown.record.nMaxFile);
            EXPECT_EQ(6148u, shown.record.Flags);
            EXPECT_EQ(nullptr, shown.record.lpstrFilter);
            EXPECT_EQ(nullptr, shown.record.lpstrTitle);
            EXPECT_EQ(nullptr, shown.record.lpstrInitialDir);
            EXPECT_EQ(previous, shown.initial);
            const std::wstring name = FileNamePart(expected.c_str());
            EXPECT_EQ(name, ItemText(dialog_->get(), file.nameField));
            EXPECT_EQ(expected, file.setting->Get());
            EXPECT_EQ(Terminated(expected), StoredUnits(kSettingsKeyPath, file.name));
            EXPECT_NE(std::wstring::npos,
                      Summary().find(file.summaryBefore + name + file.summaryAfter));
            previous = expected;
        }
    }
}

TEST_F(SettingsDialogTest, OversizedStoredTextsAreWrittenBackBounded) {
    const std::wstring huge = L"C:\\" + std::wstring(1000, L'p');
    for (const wchar_t* name : {value::PROGRAM, value::PROGRAM_COMMANDLINE})
        WriteSettingString(name, huge.c_str());
    // Read as the main window does, into the settings' buffers.
    wchar_t read[kPathUnits];
    ReadSettingString(value::PROGRAM, read);
    app.PROGRAM.Set(read);
    ReadSettingString(value::PROGRAM_COMMANDLINE, read);
    app.PROGRAM_COMMANDLINE.Set(read);
    const std::wstring cut = huge.substr(0, kPathUnits - 1);
    app.NEXT_REG = ResumeMode::WakeRunProgramThenEnd;

    Open();
    EXPECT_EQ(Terminated(cut), StoredUnits(kSettingsKeyPath, value::PROGRAM_COMMANDLINE));
    fake_.chosenFile = cut;  // the offered name, accepted
    Click(IDC_SET_CHOOSE_PROGRAM);
    EXPECT_EQ(cut, fake_.fileDialogs.back().initial);
    EXPECT_EQ(Terminated(cut), StoredUnits(kSettingsKeyPath, value::PROGRAM));
    // Typing past the end of the arguments stores the first 259 units.
    ::SetWindowTextW(Item(IDC_SET_ARGUMENTS), (cut + L"more").c_str());
    EXPECT_EQ(Terminated(cut), StoredUnits(kSettingsKeyPath, value::PROGRAM_COMMANDLINE));
}

TEST_F(SettingsDialogTest, EscapeDoesNothingOkAndTheCloseBoxCloseAndEnableSettings) {
    for (UINT close : {UINT{WM_COMMAND}, UINT{WM_CLOSE}}) {
        Open();
        ::EnableWindow(::GetDlgItem(main_.get(), IDC_MAIN_SETTINGS), FALSE);
        ::SendMessageW(dialog_->get(), WM_COMMAND, IDCANCEL, 0);
        EXPECT_TRUE(::IsWindowVisible(dialog_->get()));
        EXPECT_FALSE(::IsWindowEnabled(::GetDlgItem(main_.get(), IDC_MAIN_SETTINGS)));
        ::SendMessageW(dialog_->get(), close, close == WM_COMMAND ? IDOK : 0, 0);
        EXPECT_FALSE(::IsWindowVisible(dialog_->get())) << close;
        EXPECT_TRUE(::IsWindowEnabled(::GetDlgItem(main_.get(), IDC_MAIN_SETTINGS))) << close;
    }
}

TEST(CountdownText, ParsesLikeAnUnsignedFieldAndFormatsAnyStoredValue) {
    const std::pair<const wchar_t*, std::int32_t> parsed[] = {
        {L"", 0},           {L"0", 0},           {L"007", 7},
        {L"  42", 42},      {L"12x", 12},        {L"x12", 0},
        {L"-5", 0},         {L"+5", 0},          {L"2147483647", INT32_MAX},
        {L"2147483648", 0}, {L"99999999999", 0},
    };
    for (const auto& [text, expected] : parsed)
        EXPECT_EQ(expected, CountdownFromText(text)) << text;

    // The longest text fills the buffer exactly; nothing is written past it.
    struct {
        wchar_t text[kCountdownTextUnits];
        wchar_t guard = L'#';
    } guarded;
    CountdownText(INT32_MIN, guarded.text);
    EXPECT_STREQ(L"-2147483648", guarded.text);
    EXPECT_EQ(L'#', guarded.guard);
}

}  // namespace
