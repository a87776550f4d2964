// The settings store against the real registry of the test prefix: value
// types and byte counts, defaults that survive absent or unfit data, the
// start-up entry, the reset, and the loading of every setting.
#include <gtest/gtest.h>

#include <windows.h>
#include <shlwapi.h>

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <cwchar>
#include <string>
#include <utility>
#include <vector>

#include "platform/handle.h"
#include "settings/load.h"
#include "settings/store.h"

namespace {

constexpr wchar_t kParentKeyPath[] = L"Software\\tovakeli";
constexpr wchar_t kNeighbourName[] = L"QuillmarshTestNeighbour";

struct RawValue {
    bool present = false;
    DWORD type = REG_NONE;
    std::vector<BYTE> data;
};

// Reads a value directly, without the store, to see what it really wrote.
RawValue QueryRaw(const wchar_t* path, const wchar_t* name) {
    RawValue raw;
    OwnedKey key;
    if (::RegOpenKeyExW(HKEY_CURRENT_USER, path, 0, KEY_READ, key.put()) != ERROR_SUCCESS) return raw;
    DWORD bytes = 0;
    if (::RegQueryValueExW(key.get(), name, nullptr, &raw.type, nullptr, &bytes) != ERROR_SUCCESS) return raw;
    raw.data.resize(bytes);
    if (::RegQueryValueExW(key.get(), name, nullptr, &raw.type, raw.data.data(), &bytes) != ERROR_SUCCESS) return raw;
    raw.data.resize(bytes);
    raw.present = true;
    return raw;
}

std::vector<BYTE> BytesOf(const wchar_t* text, std::size_t units) {
    const BYTE* p = reinterpret_cast<const BYTE*>(text);
    return std::vector<BYTE>(p, p + units * sizeof(wchar_t));
}

// Stores exactly the given bytes. The registry adds a terminator to a string
// whose count leaves it off when the unit after the data is zero, so string
// data is laid out with a nonzero unit after it; the test checks the size.
void SetRaw(const wchar_t* path, const wchar_t* name, DWORD type, const std::vector<BYTE>& data) {
    OwnedKey key;
    ASSERT_EQ(ERROR_SUCCESS,
              ::RegCreateKeyExW(HKEY_CURRENT_USER, path, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, key.put(), nullptr));
    std::vector<BYTE> padded = data;
    padded.insert(padded.end(), {0x7A, 0x7A, 0x7A, 0x7A});
    ASSERT_EQ(ERROR_SUCCESS,
              ::RegSetValueExW(key.get(), name, 0, type, padded.data(), static_cast<DWORD>(data.size())));
    const RawValue stored = QueryRaw(path, name);
    ASSERT_TRUE(stored.present);
    ASSERT_EQ(data.size(), stored.data.size()) << "the registry changed the test data";
}

bool KeyExists(const wchar_t* path) {
    OwnedKey key;
    return ::RegOpenKeyExW(HKEY_CURRENT_USER, path, 0, KEY_READ, key.put()) == ERROR_SUCCESS;
}

DWORD ValueCount(const wchar_t* path) {
    OwnedKey key;
    if (::RegOpenKeyExW(HKEY_CURRENT_USER, path, 0, KEY_READ, key.put()) != ERROR_SUCCESS) return 0;
    DWORD values = 0;
    ::RegQueryInfoKeyW(key.get(), nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, &values, nullptr, nullptr,
                       nullptr, nullptr);
    return values;
}

void DeleteValue(const wchar_t* path, const wchar_t* name) {
    OwnedKey key;
    if (::RegOpenKeyExW(HKEY_CURRENT_USER, path, 0, KEY_ALL_ACCESS, key.put()) == ERROR_SUCCESS)
        ::RegDeleteValueW(key.get(), name);
}

// Removes everything the store or these tests may have left behind.
void ClearStore() {
    ::SHDeleteKeyW(HKEY_CURRENT_USER, kSettingsKeyPath);
    ::RegDeleteKeyW(HKEY_CURRENT_USER, kSettingsKeyPath);
    DeleteValue(kRunKeyPath, kRunValueName);
    DeleteValue(kRunKeyPath, kNeighbourName);
}

class Store : public ::testing::Test {
protected:
    void SetUp() override {
        ClearStore();
        ASSERT_FALSE(KeyExists(kSettingsKeyPath));
    }
    void TearDown() override { ClearStore(); }
};

TEST_F(Store, DwordIsFourBytesAndReadsBack) {
    for (std::uint32_t value : {0u, 1u, 999u, 0xFFFFFFFFu}) {
        SCOPED_TRACE(value);
        WriteSettingDword(value::COUNTDOWNTIME, value);
        const RawValue raw = QueryRaw(kSettingsKeyPath, value::COUNTDOWNTIME);
        ASSERT_TRUE(raw.present);
        EXPECT_EQ(static_cast<DWORD>(REG_DWORD), raw.type);
        ASSERT_EQ(4u, raw.data.size());
        std::uint32_t stored = 0;
        std::memcpy(&stored, raw.data.data(), 4);
        EXPECT_EQ(value, stored);

        std::uint32_t read = 12345;
        ReadSettingDword(value::COUNTDOWNTIME, read);
        EXPECT_EQ(value, read);
    }
}

TEST_F(Store, StringIsStoredWithOneTerminatorAndReadsBack) {
    const std::wstring path259(259, L'p');
    const struct {
        const wchar_t* text;
        std::size_t bytes;
    } cases[] = {
        {L"abc", 8},
        {L"", 2},
        {L"好きな言葉を入力すれば？", 26},
        {L"C:\\音\\\U0001F600.wav", 24},  // the pair counts as two units
        {path259.c_str(), 520},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << "bytes " << c.bytes);
        WriteSettingString(value::PROGRAM, c.text);
        const RawValue raw = QueryRaw(kSettingsKeyPath, value::PROGRAM);
        ASSERT_TRUE(raw.present);
        EXPECT_EQ(static_cast<DWORD>(REG_SZ), raw.type);
        EXPECT_EQ(c.bytes, raw.data.size());
        EXPECT_EQ(BytesOf(c.text, std::wcslen(c.text) + 1), raw.data);

        wchar_t read[260] = L"old";
        ReadSettingString(value::PROGRAM, read);
        EXPECT_STREQ(c.text, read);
    }
}

TEST_F(Store, AbsentValuesLeaveTheDestinationAndReadsCreateOnlyTheKey) {
    std::uint32_t number = 77;
    ReadSettingDword(value::SOUND, number);
    EXPECT_EQ(77u, number);
    // Reading created the key, empty.
    EXPECT_TRUE(KeyExists(kSettingsKeyPath));
    EXPECT_EQ(0u, ValueCount(kSettingsKeyPath));

    wchar_t text[40] = L"keep";
    ReadSettingString(value::TEXT, text);
    EXPECT_STREQ(L"keep", text);
    EXPECT_EQ(0u, ValueCount(kSettingsKeyPath));

    // Another value being present changes nothing for an absent one.
    WriteSettingDword(value::WAYTOEND, 3);
    ReadSettingDword(value::SOUND, number);
    EXPECT_EQ(77u, number);
    EXPECT_EQ(1u, ValueCount(kSettingsKeyPath));
}

TEST_F(Store, ShorterStringReplacesLongerWhole) {
    WriteSettingString(value::TEXT, L"longer text");
    WriteSettingString(value::TEXT, L"ab");
    const RawValue raw = QueryRaw(kSettingsKeyPath, value::TEXT);
    EXPECT_EQ(BytesOf(L"ab", 3), raw.data);
}

TEST_F(Store, StartupEntryIsAStringUnderTheRunKeyAndEmptyIsKept) {
    const wchar_t path[] = L"C:\\Program Files\\quillmarsh\\quillmarsh.exe";
    // Quoted, so that no C:\Program.exe can be started in its place.
    const wchar_t quoted[] = L"\"C:\\Program Files\\quillmarsh\\quillmarsh.exe\"";
    WriteStartupEntry(path);
    RawValue raw = QueryRaw(kRunKeyPath, kRunValueName);
    ASSERT_TRUE(raw.present);
    EXPECT_EQ(static_cast<DWORD>(REG_SZ), raw.type);
    EXPECT_EQ(BytesOf(quoted, std::size(quoted)), raw.data);
    // A path without a space is stored as it is.
    const wchar_t plain[] = L"C:\\tools\\quillmarsh.exe";
    WriteStartupEntry(plain);
    EXPECT_EQ(BytesOf(plain, std::size(plain)), QueryRaw(kRunKeyPath, kRunValueName).data);

    // Switching registration off writes the empty text; the value stays.
    WriteStartupEntry(L"");
    raw = QueryRaw(kRunKeyPath, kRunValueName);
    ASSERT_TRUE(raw.present);
    EXPECT_EQ(static_cast<DWORD>(REG_SZ), raw.type);
    EXPECT_EQ(2u, raw.data.size());
    EXPECT_EQ(BytesOf(L"", 1), raw.data);
}

TEST_F(Store, ResetDeletesTheKeyAndTheRunValueOnly) {
    WriteSettingDword(value::SOUND, 2);
    WriteSettingString(value::TEXT, L"phrase");
    WriteStartupEntry(L"C:\\q.exe");
    WriteSettingDword(value::STARTUPCHECK, 1);
    SetRaw(kRunKeyPath, kNeighbourName, REG_SZ, BytesOf(L"other.exe", 10));

    ResetSettings();

    EXPECT_FALSE(KeyExists(kSettingsKeyPath));
    EXPECT_TRUE(KeyExists(kParentKeyPath));
    EXPECT_TRUE(KeyExists(kRunKeyPath));
    EXPECT_FALSE(QueryRaw(kRunKeyPath, kRunValueName).present);
    const RawValue neighbour = QueryRaw(kRunKeyPath, kNeighbourName);
    ASSERT_TRUE(neighbour.present);
    EXPECT_EQ(BytesOf(L"other.exe", 10), neighbour.data);

    // The next write brings the key back holding that one value.
    WriteSettingDword(value::WAYTOEND, 4);
    EXPECT_EQ(1u, ValueCount(kSettingsKeyPath));
    std::uint32_t sound = 0;
    ReadSettingDword(value::SOUND, sound);
    EXPECT_EQ(0u, sound);
}

TEST_F(Store, ResetWithNothingStoredCreatesNothing) {
    ResetSettings();
    EXPECT_FALSE(KeyExists(kSettingsKeyPath));
    EXPECT_FALSE(QueryRaw(kRunKeyPath, kRunValueName).present);
}

// Stored data that does not fit its destination. Each case is checked twice:
// through the registry (ReadSetting*) and on the raw data (Decode*).

std::vector<BYTE> Units(const std::wstring& text) { return BytesOf(text.c_str(), text.size()); }

std::vector<BYTE> WithTerminator(const std::wstring& text) { return BytesOf(text.c_str(), text.size() + 1); }

constexpr std::size_t kGuardUnits = 16;
constexpr wchar_t kGuard = 0x5A5A;
constexpr wchar_t kDefaultText[] = L"default";

// A destination of `capacity` units followed by a guard area that must stay
// untouched, and preset to the caller's default.
struct GuardedText {
    explicit GuardedText(std::size_t capacity) : capacity(capacity), units(capacity + kGuardUnits, kGuard) {
        std::wcscpy(units.data(), kDefaultText);
    }
    wchar_t* data() { return units.data(); }
    std::wstring text() const { return std::wstring(units.data()); }
    bool GuardIntact() const {
        for (std::size_t i = capacity; i < units.size(); ++i) {
            if (units[i] != kGuard) return false;
        }
        return true;
    }
    bool TerminatedInside() const {
        for (std::size_t i = 0; i < capacity; ++i) {
            if (units[i] == L'\0') return true;
        }
        return false;
    }
    std::size_t capacity;
    std::vector<wchar_t> units;
};

struct StringCase {
    const char* what;
    DWORD type;
    std::vector<BYTE> data;
    std::size_t capacity;
    bool kept;  // the default stays
    std::wstring expected;
};

std::vector<StringCase> StringCases() {
    const std::wstring smile = L"\U0001F600";  // one surrogate pair
    std::vector<BYTE> odd = Units(L"abc");
    odd.push_back(0x64);
    std::vector<BYTE> oneAndAHalf = Units(L"a");
    oneAndAHalf.push_back(0x62);
    std::vector<BYTE> multi = Units(std::wstring(L"a\0b\0\0", 5));
    const std::uint32_t number = 5;
    std::vector<BYTE> dword(reinterpret_cast<const BYTE*>(&number), reinterpret_cast<const BYTE*>(&number) + 4);
    return {
        {"2000 characters into 40 units", REG_SZ, WithTerminator(std::wstring(2000, L'x')), 40, false,
         std::wstring(39, L'x')},
        {"exactly 39 units", REG_SZ, WithTerminator(std::wstring(39, L'y')), 40, false, std::wstring(39, L'y')},
        {"40 units, one too many", REG_SZ, WithTerminator(std::wstring(40, L'y')), 40, false, std::wstring(39, L'y')},
        {"no terminator", REG_SZ, Units(L"abc"), 40, false, L"abc"},
        {"no terminator, longer than the buffer", REG_SZ, Units(std::wstring(300, L'n')), 260, false,
         std::wstring(259, L'n')},
        {"odd byte count", REG_SZ, odd, 40, false, L"abc"},
        {"three bytes", REG_SZ, oneAndAHalf, 40, false, L"a"},
        {"no data", REG_SZ, {}, 40, false, L""},
        {"terminator inside", REG_SZ, Units(std::wstring(L"ab\0cd\0", 6)), 40, false, L"ab"},
        {"cut would split a surrogate pair", REG_SZ, WithTerminator(std::wstring(38, L'x') + smile), 40, false,
         std::wstring(38, L'x')},
        {"surrogate pair ends exactly at the cut", REG_SZ, WithTerminator(std::wstring(37, L'x') + smile), 40, false,
         std::wstring(37, L'x') + smile},
        {"5000-byte binary into 260 units", REG_BINARY, std::vector<BYTE>(5000, 0x41), 260, true, kDefaultText},
        {"expandable string", REG_EXPAND_SZ, WithTerminator(L"%TEMP%\\x.wav"), 260, true, kDefaultText},
        {"multi-string", REG_MULTI_SZ, multi, 260, true, kDefaultText},
        {"number", REG_DWORD, dword, 40, true, kDefaultText},
    };
}

TEST_F(Store, UnfitStringDataNeverOverrunsAndKeepsOrCutsTheText) {
    for (const StringCase& c : StringCases()) {
        SCOPED_TRACE(c.what);
        SetRaw(kSettingsKeyPath, value::MY_SOUND, c.type, c.data);
        GuardedText read(c.capacity);
        ReadSettingString(value::MY_SOUND, read.data(), c.capacity);
        EXPECT_TRUE(read.GuardIntact());
        EXPECT_TRUE(read.TerminatedInside());
        EXPECT_EQ(c.expected, read.text());
    }
}

TEST(StoreDecode, UnfitStringDataNeverOverrunsAndKeepsOrCutsTheText) {
    for (const StringCase& c : StringCases()) {
        SCOPED_TRACE(c.what);
        GuardedText decoded(c.capacity);
        const bool written = DecodeString(c.type, c.data.data(), c.data.size(), decoded.data(), c.capacity);
        EXPECT_EQ(!c.kept, written);
        EXPECT_TRUE(decoded.GuardIntact());
        EXPECT_TRUE(decoded.TerminatedInside());
        EXPECT_EQ(c.expected, decoded.text());
    }
}

TEST(StoreDecode, NoRoomWritesNothing) {
    wchar_t guard = kGuard;
    const std::vector<BYTE> data = WithTerminator(L"abc");
    EXPECT_FALSE(DecodeString(REG_SZ, data.data(), data.size(), &guard, 0));
    EXPECT_EQ(kGuard, guard);

    wchar_t one[1 + kGuardUnits];
    std::fill(std::begin(one), std::end(one), kGuard);
    EXPECT_TRUE(DecodeString(REG_SZ, data.data(), data.size(), one, 1));
    EXPECT_EQ(L'\0', one[0]);
    EXPECT_EQ(kGuard, one[1]);
}

struct DwordCase {
    const char* what;
    DWORD type;
    std::vector<BYTE> data;
    bool kept;
    std::uint32_t expected;
};

std::vector<DwordCase> DwordCases() {
    constexpr std::uint32_t kDefault = 0xDEFA017u;
    return {
        {"well formed", REG_DWORD, {0x2A, 0, 0, 0}, false, 42},
        {"all bits", REG_DWORD, {0xFF, 0xFF, 0xFF, 0xFF}, false, 0xFFFFFFFFu},
        {"stored as text", REG_SZ, WithTerminator(L"5"), true, kDefault},
        {"stored as four-byte text", REG_SZ, Units(L"12"), true, kDefault},
        {"two bytes", REG_DWORD, {0x05, 0x00}, true, kDefault},
        {"eight bytes", REG_DWORD, {1, 0, 0, 0, 2, 0, 0, 0}, true, kDefault},
        {"no data", REG_DWORD, {}, true, kDefault},
        {"four-byte binary", REG_BINARY, {7, 0, 0, 0}, true, kDefault},
        {"big-endian", REG_DWORD_BIG_ENDIAN, {0, 0, 0, 7}, true, kDefault},
        {"qword", REG_QWORD, {7, 0, 0, 0, 0, 0, 0, 0}, true, kDefault},
        {"5000-byte binary", REG_BINARY, std::vector<BYTE>(5000, 0x41), true, kDefault},
    };
}

// A destination followed by a word that must stay untouched.
struct GuardedDword {
    std::uint32_t value = 0xDEFA017u;
    std::uint32_t guard = 0x5A5A5A5Au;
};

TEST_F(Store, UnfitDwordDataKeepsTheDefault) {
    for (const DwordCase& c : DwordCases()) {
        SCOPED_TRACE(c.what);
        SetRaw(kSettingsKeyPath, value::COUNTDOWNTIME, c.type, c.data);
        GuardedDword read;
        ReadSettingDword(value::COUNTDOWNTIME, read.value);
        EXPECT_EQ(c.expected, read.value);
        EXPECT_EQ(0x5A5A5A5Au, read.guard);
    }
}

TEST(StoreDecode, UnfitDwordDataKeepsTheDefault) {
    for (const DwordCase& c : DwordCases()) {
        SCOPED_TRACE(c.what);
        GuardedDword decoded;
        EXPECT_EQ(!c.kept, DecodeDword(c.type, c.data.data(), c.data.size(), decoded.value));
        EXPECT_EQ(c.expected, decoded.value);
        EXPECT_EQ(0x5A5A5A5Au, decoded.guard);
    }
}

// Loading every setting into a record that holds other values first, so a
// setting the loading skips shows.

void FillWithOthers(Settings& record) {
    record.WAYTOEND = EndAction::Logoff;
    record.NEXT_REG = ResumeMode::WakeIdle;
    record.SOUND = SoundMode::Beep;
    record.COUNTDOWNTIME = 99;
    for (auto* flag : {&record.EXPLOSION_SOUND, &record.FORCECHECK, &record.TESTCHECK, &record.STARTUPCHECK}) *flag = 9;
    for (auto* text : {&record.MY_SOUND, &record.PROGRAM, &record.PROGRAM_COMMANDLINE}) text->Set(L"other");
    record.phraseText.Set(L"other");
}

void ExpectFirstStart(const Settings& record) {
    EXPECT_EQ(EndAction::Shutdown, record.WAYTOEND.load());
    EXPECT_EQ(ResumeMode::NoWake, record.NEXT_REG.load());
    EXPECT_EQ(SoundMode::Silent, record.SOUND.load());
    EXPECT_EQ(10, record.COUNTDOWNTIME.load());
    for (auto* flag : {&record.EXPLOSION_SOUND, &record.FORCECHECK, &record.TESTCHECK, &record.STARTUPCHECK}) {
        EXPECT_EQ(0u, flag->load());
    }
    for (auto* text : {&record.MY_SOUND, &record.PROGRAM, &record.PROGRAM_COMMANDLINE}) EXPECT_EQ(L"", text->Get());
    EXPECT_EQ(kDefaultPhrase, record.phraseText.Get());
}

TEST_F(Store, AFirstStartLoadsEveryDefaultAndTheSummaryStartsFromThem) {
    for (SettingsSource source : {SettingsSource::Registry, SettingsSource::Defaults}) {
        Settings record;
        FillWithOthers(record);
        const StoredMoments moments = LoadSettings(record, source);
        ExpectFirstStart(record);
        EXPECT_EQ(0u, moments.MONTH + moments.DAY + moments.HOUR + moments.MINUTE + moments.MONTH2 + moments.DAY2 +
                          moments.HOUR2 + moments.MINUTE2);
        // The summary's snapshot of a first start is its default snapshot.
        const SettingsSnapshot loaded = SettingsSnapshot::Of(record);
        const SettingsSnapshot defaults = SettingsSnapshot::Defaults();
        for (const SettingRow& row : kSettings) {
            EXPECT_EQ(defaults.Number(row.name), loaded.Number(row.name)) << row.name;
            EXPECT_EQ(defaults.Text(row.name), loaded.Text(row.name)) << row.name;
        }
    }
}

TEST_F(Store, StoredValuesReachTheirOwnFieldsAndBlankOnesTheirDefault) {
    const std::wstring longSound(300, L's');
    const std::pair<const wchar_t*, std::uint32_t> numbers[] = {
        {value::WAYTOEND, 3},   {value::NEXT_REG, 4},  {value::SOUND, 2},        {value::COUNTDOWNTIME, 37},
        {value::FORCECHECK, 5}, {value::TESTCHECK, 6}, {value::STARTUPCHECK, 7}, {value::EXPLOSION_SOUND, 8},
        {value::DAY2, 17},      {value::MINUTE, 59},
    };
    for (const auto& [name, number] : numbers) WriteSettingDword(name, number);
    WriteSettingString(value::MY_SOUND, longSound.c_str());
    WriteSettingString(value::PROGRAM, L"C:\\p.exe");
    WriteSettingString(value::PROGRAM_COMMANDLINE, L"-a");
    WriteSettingString(value::TEXT, L"phrase");
    Settings record;
    const StoredMoments moments = LoadSettings(record);
    EXPECT_EQ(EndAction::Standby, record.WAYTOEND.load());
    EXPECT_EQ(ResumeMode::WakeRunProgramThenEnd, record.NEXT_REG.load());
    EXPECT_EQ(SoundMode::Heartbeat, record.SOUND.load());
    EXPECT_EQ(37, record.COUNTDOWNTIME.load());
    EXPECT_EQ(5u, record.FORCECHECK.load());
    EXPECT_EQ(6u, record.TESTCHECK.load());
    EXPECT_EQ(7u, record.STARTUPCHECK.load());
    EXPECT_EQ(8u, record.EXPLOSION_SOUND.load());
    EXPECT_EQ(longSound.substr(0, kPathUnits - 1), record.MY_SOUND.Get());
    EXPECT_EQ(L"C:\\p.exe", record.PROGRAM.Get());
    EXPECT_EQ(L"-a", record.PROGRAM_COMMANDLINE.Get());
    EXPECT_EQ(L"phrase", record.phraseText.Get());
    EXPECT_EQ(17u, moments.DAY2);
    EXPECT_EQ(59u, moments.MINUTE);
    EXPECT_EQ(0u, moments.MONTH);

    // COUNTDOWNTIME's 0 is ten seconds, TEXT's empty value the default phrase;
    // another number's 0 and another text's emptiness are values.
    WriteSettingDword(value::COUNTDOWNTIME, 0);
    WriteSettingString(value::TEXT, L"");
    WriteSettingDword(value::WAYTOEND, 0);
    WriteSettingString(value::PROGRAM, L"");
    LoadSettings(record);
    EXPECT_EQ(10, record.COUNTDOWNTIME.load());
    EXPECT_EQ(kDefaultPhrase, record.phraseText.Get());
    EXPECT_EQ(EndAction::Shutdown, record.WAYTOEND.load());
    EXPECT_EQ(L"", record.PROGRAM.Get());
}

TEST_F(Store, EverySettingStoredAsAnotherTypeKeepsItsDefault) {
    const std::uint32_t five = 5;
    const std::vector<BYTE> number(reinterpret_cast<const BYTE*>(&five), reinterpret_cast<const BYTE*>(&five) + 4);
    for (const SettingRow& row : kSettings) {
        SetRaw(kSettingsKeyPath, row.name, row.type == StoredAs::Number ? REG_SZ : REG_DWORD,
               row.type == StoredAs::Number ? WithTerminator(L"5") : number);
    }
    Settings record;
    FillWithOthers(record);
    LoadSettings(record);
    ExpectFirstStart(record);
}

}  // namespace
