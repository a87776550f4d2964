// The settings dialog on a real window from its template, with the registry of
// the test prefix and the open-file dialog answered through the fake seam.
#include <gtest/gtest.h>

#include <climits>
#include <memory>
#include <optional>
#include <string>
#include <tuple>
#include <vector>

#include "app/main_window.h"
#include "fake_system.h"
#include "platform/handle.h"
#include "platform/text.h"
#include "res/resource.h"
#include "settings/store.h"
#include "dialogs/dialogs.h"
#include "dialogs/settings_logic.h"
#include "ui_test_support.h"
#include "ui/program_windows.h"

namespace {

// The five resume buttons, then the program name, arguments and "...".
const std::vector<int> kResume = {
    IDC_SET_NO_WAKE,          IDC_SET_WAKE_IDLE,    IDC_SET_RESUME_SCHEDULED, IDC_SET_PROGRAM_THEN_SCHEDULED,
    IDC_SET_PROGRAM_THEN_END, IDC_SET_PROGRAM_NAME, IDC_SET_ARGUMENTS,        IDC_SET_CHOOSE_PROGRAM};
const std::vector<int> kSoundRadios = {IDC_SET_SILENT, IDC_SET_TEN_COUNT, IDC_SET_HEARTBEAT, IDC_SET_BEEP,
                                       IDC_SET_CHOSEN_SOUND};
const std::vector<int> kSoundControls = {IDC_SET_EXPLOSION, IDC_SET_SECONDS, IDC_SET_SOUND_NAME, IDC_SET_CHOOSE_SOUND};

// A value's stored UTF-16 units, terminator included; nothing if absent.
std::optional<std::wstring> Stored(const wchar_t* path, const wchar_t* name) {
    OwnedKey key;
    wchar_t data[2048];
    DWORD bytes = sizeof data;
    if (::RegOpenKeyExW(HKEY_CURRENT_USER, path, 0, KEY_READ, key.put()) != ERROR_SUCCESS ||
        ::RegQueryValueExW(key.get(), name, nullptr, nullptr, reinterpret_cast<BYTE*>(data), &bytes) != ERROR_SUCCESS)
        return std::nullopt;
    return std::wstring(data, bytes / sizeof(wchar_t));
}

std::uint32_t StoredDword(const wchar_t* name) {
    std::uint32_t stored = 0xBAD;  // absent
    ReadSettingDword(name, stored);
    return stored;
}

class SettingsDialogTest : public ::testing::Test {
protected:
    void SetUp() override {
        ResetSettings();
        programWindows.main = main_.get();
        App().WAYTOEND = EndAction::Standby;
        App().COUNTDOWNTIME = 10;
    }
    void TearDown() override {
        dialog_.reset();
        EXPECT_TRUE(fake_.messages.empty()) << "a box was shown";
        ResetSettings();
    }

    HWND Open() {
        dialog_.reset();  // the old one forgets its handle as it goes
        dialog_ = std::make_unique<test_support::TestDialog>(IDD_SETTINGS, SettingsDialogProc);
        return dialog_->get();
    }
    static std::wstring Terminated(const std::wstring& text) { return text + L'\0'; }
    HWND Item(int id) const { return dialog_->Item(id); }
    std::wstring Text(int id) const { return test_support::ItemText(dialog_->get(), id); }
    void Click(int id) const { ::SendMessageW(Item(id), BM_CLICK, 0, 0); }
    std::wstring Summary() const { return test_support::ItemText(main_.get(), IDC_MAIN_SUMMARY); }
    // "1" for each enabled control, "0" for each disabled one.
    std::string Enabled(const std::vector<int>& ids) const {
        std::string states;
        for (int id : ids) states += ::IsWindowEnabled(Item(id)) ? '1' : '0';
        return states;
    }
    // The one checked button of `ids`; 0 for none, -1 for several.
    int Checked(const std::vector<int>& ids) const {
        int checked = 0;
        for (int id : ids) {
            if (::IsDlgButtonChecked(dialog_->get(), id) == BST_CHECKED) checked = checked ? -1 : id;
        }
        return checked;
    }

    FakeSystem fake_;
    ScopedSystem seam_{fake_};
    test_support::TestDialog main_{IDD_MAIN};
    std::unique_ptr<test_support::TestDialog> dialog_;
};

TEST_F(SettingsDialogTest, OpensWithTheStoredChoices) {
    const struct {
        EndAction action;
        std::uint32_t resume, sound;
        int resumeChecked, soundChecked;
        const char *resumeEnabled, *soundEnabled;
    } cases[] = {
        {EndAction::Standby, 0, 4, IDC_SET_NO_WAKE, IDC_SET_CHOSEN_SOUND, "11111000", "0111"},
        {EndAction::Standby, 1, 0, IDC_SET_WAKE_IDLE, IDC_SET_SILENT, "11111000", "0000"},
        {EndAction::Logoff, 4, 1, IDC_SET_PROGRAM_THEN_END, IDC_SET_TEN_COUNT, "00000111", "1000"},
        // Unknown values: no resume button, the ten-count in memory only, and
        // the controls no row applies to keep the template's state.
        {EndAction::Hibernate, 9, 7, 0, IDC_SET_TEN_COUNT, "11111111", "0111"},
        {EndAction::Reboot, 9, 3, 0, IDC_SET_BEEP, "00000000", "0100"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << "resume " << c.resume << ", sound " << c.sound);
        App().WAYTOEND = c.action;
        App().NEXT_REG = static_cast<ResumeMode>(c.resume);
        App().SOUND = static_cast<SoundMode>(c.sound);
        Open();
        EXPECT_EQ(dialog_->get(), programWindows.settings.load());
        EXPECT_EQ(c.resumeChecked, Checked(kResume));
        EXPECT_EQ(c.resumeEnabled, Enabled(kResume));
        EXPECT_EQ(c.soundChecked, Checked(kSoundRadios));
        EXPECT_EQ(c.soundEnabled, Enabled(kSoundControls));
        EXPECT_EQ("1", Enabled({IDC_SET_SECONDS_SPIN}));
        EXPECT_EQ(c.sound > 4 ? SoundMode::TenCount : SoundMode(c.sound), App().SOUND.load());
        EXPECT_EQ(0xBADu, StoredDword(value::SOUND));
    }
}

TEST_F(SettingsDialogTest, SoundAndResumeButtonsWriteAndApplyTheirRow) {
    App().SOUND = SoundMode::ChosenSound;
    App().NEXT_REG = ResumeMode::WakeIdle;
    Open();
    const std::pair<int, const char*> sounds[] = {
        {IDC_SET_SILENT, "0000"}, {IDC_SET_TEN_COUNT, "1000"},    {IDC_SET_EXPLOSION, "1000"},
        {IDC_SET_BEEP, "0100"},   {IDC_SET_CHOSEN_SOUND, "0111"},
    };
    for (const auto& [id, enabled] : sounds) {
        Click(id);
        EXPECT_EQ(enabled, Enabled(kSoundControls)) << id;
        EXPECT_EQ(static_cast<std::uint32_t>(App().SOUND.load()), StoredDword(value::SOUND)) << id;
    }
    EXPECT_EQ(1u, StoredDword(value::EXPLOSION_SOUND));
    EXPECT_NE(std::wstring::npos, Summary().find(L"サウンド設定： 選択音 (最大10秒間)"));

    // Across the two radio groups exactly one resume button stays checked.
    const std::pair<int, std::uint32_t> resumes[] = {
        {IDC_SET_PROGRAM_THEN_SCHEDULED, 3}, {IDC_SET_NO_WAKE, 0},          {IDC_SET_PROGRAM_THEN_END, 4},
        {IDC_SET_PROGRAM_THEN_SCHEDULED, 3}, {IDC_SET_RESUME_SCHEDULED, 2}, {IDC_SET_WAKE_IDLE, 1},
    };
    for (const auto& [id, mode] : resumes) {
        Click(id);
        EXPECT_EQ(id, Checked(kResume));
        EXPECT_EQ(mode, StoredDword(value::NEXT_REG));
        EXPECT_EQ(mode >= 3 ? "11111111" : "11111000", Enabled(kResume)) << id;
    }
    EXPECT_EQ(0u, Summary().find(L"復帰時：何もしない\r\n"));
}

TEST_F(SettingsDialogTest, EndActionChosenInTheMainWindowReachesTheOpenDialog) {
    App().NEXT_REG = ResumeMode::WakeRunProgramThenScheduledEnd;
    Open();
    const struct {
        bool inMain;
        int id;
        const char* enabled;
    } steps[] = {
        {true, IDC_MAIN_REBOOT, "00000000"},    {true, IDC_MAIN_HIBERNATE, "11111111"},
        {false, IDC_SET_WAKE_IDLE, "11111000"}, {true, IDC_MAIN_LOGOFF, "00000000"},
        {true, IDC_MAIN_STANDBY, "11111000"},
    };
    for (const auto& step : steps) {
        if (step.inMain) {
            MainDialogProc(main_.get(), WM_COMMAND, step.id, 0);
        } else {
            Click(step.id);
        }
        EXPECT_EQ(step.enabled, Enabled(kResume)) << step.id;
    }
}

TEST_F(SettingsDialogTest, SecondsOfAnySizeAreShownAndTheFieldKeeps0To999) {
    const std::pair<std::int32_t, const wchar_t*> stored[] = {
        {12345, L"12345"}, {INT32_MAX, L"2147483647"}, {INT32_MIN, L"-2147483648"}};
    App().SOUND = SoundMode::Beep;  // the field and so its arrows are usable
    for (const auto& [seconds, shown] : stored) {
        App().COUNTDOWNTIME = seconds;
        Open();
        EXPECT_EQ(shown, Text(IDC_SET_SECONDS));
        // Written back as read from the field: a sign is no number.
        EXPECT_EQ(seconds < 0 ? 0 : seconds, App().COUNTDOWNTIME.load());
        EXPECT_EQ(static_cast<std::uint32_t>(App().COUNTDOWNTIME.load()), StoredDword(value::COUNTDOWNTIME));
    }
    HWND field = Item(IDC_SET_SECONDS);
    ::SetWindowTextW(field, L"");
    EXPECT_EQ(0u, StoredDword(value::COUNTDOWNTIME));
    for (wchar_t typed : {L'1', L'x', L'2', L'3', L'4'}) ::SendMessageW(field, WM_CHAR, typed, 0);
    EXPECT_EQ(123u, StoredDword(value::COUNTDOWNTIME));

    RECT arrows;
    ::GetClientRect(Item(IDC_SET_SECONDS_SPIN), &arrows);
    const struct {
        const wchar_t* before;
        bool up;
        std::uint32_t after;
    } steps[] = {{L"123", true, 124}, {L"999", true, 999}, {L"1", false, 0}, {L"0", false, 0}};
    for (const auto& step : steps) {
        ::SetWindowTextW(field, step.before);
        const LPARAM at = MAKELPARAM(arrows.right / 2, step.up ? arrows.bottom / 4 : arrows.bottom * 3 / 4);
        ::SendMessageW(Item(IDC_SET_SECONDS_SPIN), WM_LBUTTONDOWN, MK_LBUTTON, at);
        ::SendMessageW(Item(IDC_SET_SECONDS_SPIN), WM_LBUTTONUP, 0, at);
        EXPECT_EQ(std::to_wstring(step.after), Text(IDC_SET_SECONDS));
        EXPECT_EQ(step.after, StoredDword(value::COUNTDOWNTIME));
    }
}

TEST_F(SettingsDialogTest, StartupRegistrationOnOffOn) {
    wchar_t self[MAX_PATH] = {};
    ::GetModuleFileNameW(nullptr, self, MAX_PATH);
    Open();
    for (bool on : {true, false, true}) {
        Click(IDC_SET_STARTUP);
        EXPECT_EQ(Terminated(on ? StartupCommand(self) : L""), Stored(kRunKeyPath, kRunValueName));
        EXPECT_EQ(on ? 1u : 0u, StoredDword(value::STARTUPCHECK));
        EXPECT_EQ(on, Summary().rfind(L"起動時：ｽﾀｰﾄｱｯﾌﾟ登録し、｢指定時間終了」を実行\r\n", 0) == 0);
    }
}

TEST_F(SettingsDialogTest, FileChoiceFromOversizedStoredTextsReplacesOrClearsBounded) {
    const std::wstring huge = L"C:\\" + std::wstring(1000, L'p');
    const std::wstring cut = huge.substr(0, kPathUnits - 1);
    const struct {
        int button, nameField;
        const wchar_t* name;
        SharedText<kPathUnits>* setting;
    } files[] = {
        {IDC_SET_CHOOSE_PROGRAM, IDC_SET_PROGRAM_NAME, value::PROGRAM, &App().PROGRAM},
        {IDC_SET_CHOOSE_SOUND, IDC_SET_SOUND_NAME, value::MY_SOUND, &App().MY_SOUND},
    };
    // What the dialog answers, and what the setting holds afterwards.
    const std::pair<std::optional<std::wstring>, std::wstring> answers[] = {
        {cut, cut},  // the offered name, accepted
        {std::nullopt, L""},
        {L"D:\\新しい フォルダー\\after.wav", L"D:\\新しい フォルダー\\after.wav"},
        {huge, L""},  // does not fit the buffer: the dialog fails
    };
    App().NEXT_REG = ResumeMode::WakeRunProgramThenScheduledEnd;
    App().SOUND = SoundMode::ChosenSound;
    for (const auto& file : files) {
        // Read as the main window does, into the settings' buffers.
        wchar_t read[kPathUnits];
        for (const wchar_t* name : {file.name, value::PROGRAM_COMMANDLINE}) WriteSettingString(name, huge.c_str());
        ReadSettingString(file.name, read);
        file.setting->Set(read);
        ReadSettingString(value::PROGRAM_COMMANDLINE, read);
        App().PROGRAM_COMMANDLINE.Set(read);
        Open();
        EXPECT_EQ(Terminated(cut), Stored(kSettingsKeyPath, value::PROGRAM_COMMANDLINE));
        std::wstring offered = cut;
        for (const auto& [answer, expected] : answers) {
            fake_.chosenFile = answer;
            Click(file.button);
            const OPENFILENAMEW& record = fake_.fileDialogs.back().record;
            EXPECT_EQ(std::make_tuple(DWORD{sizeof record}, dialog_->get(), 260ul, 6148ul),
                      std::make_tuple(record.lStructSize, record.hwndOwner, record.nMaxFile, record.Flags));
            EXPECT_EQ(offered, fake_.fileDialogs.back().initial);
            EXPECT_EQ(FileNamePart(expected.c_str()), Text(file.nameField));
            EXPECT_EQ(expected, file.setting->Get());
            EXPECT_EQ(Terminated(expected), Stored(kSettingsKeyPath, file.name));
            offered = expected;
        }
    }
}

TEST_F(SettingsDialogTest, EscapeDoesNothingOkAndTheCloseBoxCloseAndEnableSettings) {
    HWND settingsButton = ::GetDlgItem(main_.get(), IDC_MAIN_SETTINGS);
    for (UINT close : {UINT{WM_COMMAND}, UINT{WM_CLOSE}}) {
        Open();
        ::EnableWindow(settingsButton, FALSE);
        ::SendMessageW(dialog_->get(), WM_COMMAND, IDCANCEL, 0);
        EXPECT_TRUE(::IsWindowVisible(dialog_->get()));
        EXPECT_FALSE(::IsWindowEnabled(settingsButton));
        ::SendMessageW(dialog_->get(), close, close == WM_COMMAND ? IDOK : 0, 0);
        EXPECT_FALSE(::IsWindowVisible(dialog_->get()));
        EXPECT_TRUE(::IsWindowEnabled(settingsButton));
    }
}

TEST(CountdownText, ReadsLikeAnUnsignedFieldAndShowsAnyStoredValueInItsBuffer) {
    const std::pair<const wchar_t*, std::int32_t> read[] = {
        {L"  042", 42}, {L"12x", 12}, {L"-5", 0}, {L"+5", 0}, {L"2147483647", INT32_MAX}, {L"2147483648", 0}};
    for (const auto& [text, expected] : read) EXPECT_EQ(expected, CountdownFromText(text)) << text;
    struct {
        wchar_t text[kCountdownTextUnits];
        wchar_t guard = L'#';
    } shown;
    CountdownText(INT32_MIN, shown.text);
    EXPECT_STREQ(L"-2147483648", shown.text);
    EXPECT_EQ(L'#', shown.guard);
}

}  // namespace
