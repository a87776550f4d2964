// Starts the real program over randomly damaged stored settings: every value
// absent, of another type, of odd sizes, out of range, texts unterminated or
// longer than their buffers. Each start must show a responsive main window
// with bounded, clean texts, write nothing to the registry, and end with 1
// on "BYE". A failure prints the seed and the state to replay it.
#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <random>
#include <sstream>
#include <string>
#include <vector>

#include "driver.h"
#include "res/resource.h"

using namespace e2e;

namespace {

// The stored values with the program's bound: the largest number a combo
// holds (or another in-range number), or the units of a text's buffer.
struct Setting {
    const wchar_t* name;
    bool text;
    std::uint32_t bound;
    int combo;  // the main window's combo of that value, or 0
};

constexpr Setting kSettings[] = {
    {L"SOUND", false, 4, 0},
    {L"MONTH", false, 12, IDC_MAIN_END_MONTH},
    {L"DAY", false, 31, IDC_MAIN_END_DAY},
    {L"HOUR", false, 23, IDC_MAIN_END_HOUR},
    {L"MINUTE", false, 59, IDC_MAIN_END_MINUTE},
    {L"MONTH2", false, 12, IDC_MAIN_WAKE_MONTH},
    {L"DAY2", false, 31, IDC_MAIN_WAKE_DAY},
    {L"HOUR2", false, 23, IDC_MAIN_WAKE_HOUR},
    {L"MINUTE2", false, 59, IDC_MAIN_WAKE_MINUTE},
    {L"COUNTDOWNTIME", false, 999, 0},
    {L"WAYTOEND", false, 4, 0},
    {L"NEXT_REG", false, 4, 0},
    {L"EXPLOSION_SOUND", false, 1, 0},
    {L"MY_SOUND", true, 260, 0},
    {L"PROGRAM", true, 260, 0},
    {L"PROGRAM_COMMANDLINE", true, 260, 0},
    {L"TEXT", true, 40, 0},
    {L"FORCECHECK", false, 1, 0},
    {L"TESTCHECK", false, 1, 0},
    {L"STARTUPCHECK", false, 1, 0},
};
constexpr std::size_t kSettingCount = std::size(kSettings);

// Buffer sizes of the main window's texts, terminator included.
constexpr std::size_t kSummaryUnits = 1024;
constexpr std::size_t kClockUnits = 50;

enum Variant {
    kAbsent,
    kWrongType,
    kBytes0,
    kBytes1,
    kBytes3,
    kBytes4,
    kBytes8,
    kBytes64K,
    kNegative,
    kHuge,
    kInRange,
    kTextAtBuffer,
    kTextPastBuffer,
    kUnterminated,
    kVariantCount
};
constexpr const char* kVariantNames[] = {
    "absent",      "wrong type", "0 bytes", "1 byte",   "3 bytes",        "4 bytes",          "8 bytes",
    "65536 bytes", "negative",   "huge",    "in range", "text at buffer", "text past buffer", "unterminated",
};

// Text content: printable, with the characters a path splits at and format
// directives, so that garbage shows as a character outside the set.
constexpr wchar_t kAlphabet[] = L"abcXYZ019 -_.%sn\\:/あア漢ｱ";

using Random = std::mt19937;
using State = std::vector<std::optional<RegValue>>;

std::vector<BYTE> TextBytes(Random& random, std::size_t units, bool terminated) {
    std::wstring text;
    for (std::size_t i = 0; i < units; ++i) text += kAlphabet[random() % (std::size(kAlphabet) - 1)];
    std::vector<BYTE> bytes((units + (terminated ? 1 : 0)) * sizeof(wchar_t), 0);
    std::memcpy(bytes.data(), text.data(), units * sizeof(wchar_t));
    return bytes;
}

std::vector<BYTE> NumberBytes(std::uint32_t number) {
    std::vector<BYTE> bytes(sizeof number);
    std::memcpy(bytes.data(), &number, sizeof number);
    return bytes;
}

std::vector<BYTE> RandomBytes(Random& random, std::size_t count) {
    std::vector<BYTE> bytes(count);
    for (BYTE& b : bytes) b = static_cast<BYTE>(random());
    return bytes;
}

// `count` bytes: random for a number; for a text, text units (terminated
// when the size allows) cut to the byte.
std::vector<BYTE> SizedBytes(const Setting& setting, Random& random, std::size_t count) {
    if (!setting.text) return RandomBytes(random, count);
    std::vector<BYTE> bytes = TextBytes(random, (count + 1) / 2, false);
    bytes.resize(count, 0);
    if (count >= 2 && count % 2 == 0 && random() % 2) bytes[count - 2] = bytes[count - 1] = 0;
    return bytes;
}

std::optional<RegValue> MakeValue(const Setting& setting, Variant variant, Random& random) {
    const DWORD type = setting.text ? REG_SZ : REG_DWORD;
    const std::size_t units = setting.bound;
    switch (variant) {
        case kAbsent:
            return std::nullopt;
        case kWrongType: {
            constexpr DWORD kOthers[] = {REG_BINARY, REG_EXPAND_SZ, REG_MULTI_SZ, REG_QWORD, REG_NONE};
            const DWORD other = setting.text && random() % 2 ? REG_DWORD : kOthers[random() % 5];
            return RegValue{other, setting.text ? TextBytes(random, 3, true) : NumberBytes(random() % 5)};
        }
        case kBytes0:
            return RegValue{type, SizedBytes(setting, random, 0)};
        case kBytes1:
            return RegValue{type, SizedBytes(setting, random, 1)};
        case kBytes3:
            return RegValue{type, SizedBytes(setting, random, 3)};
        case kBytes4:
            return RegValue{type, SizedBytes(setting, random, 4)};
        case kBytes8:
            return RegValue{type, SizedBytes(setting, random, 8)};
        case kBytes64K:
            return RegValue{type, SizedBytes(setting, random, 65536)};
        case kNegative:
            return RegValue{type, setting.text ? TextBytes(random, 2, true)
                                               : NumberBytes(random() % 2 ? 0x80000000u : 0u - 1 - random() % 1000)};
        case kHuge:
            return RegValue{
                type, setting.text ? TextBytes(random, 100000, false)
                                   : NumberBytes(random() % 2 ? 0xFFFFFFFFu : setting.bound + 1 + random() % 100000)};
        case kInRange:
            return RegValue{type, setting.text ? TextBytes(random, random() % units, true)
                                               : NumberBytes(random() % (setting.bound + 1))};
        case kTextAtBuffer:  // the longest text that fits, and one unit more
            return RegValue{type, TextBytes(random, units - 1 + random() % 2, true)};
        case kTextPastBuffer:
            return RegValue{type, TextBytes(random, units + 1 + random() % units, true)};
        case kUnterminated:
            return RegValue{type, TextBytes(random, random() % (units + 2), false)};
        default:
            return std::nullopt;
    }
}

// A state of all twenty values, each chosen independently. The text-only
// variants fall back to in-range numbers for numbers.
State MakeState(unsigned seed, unsigned index, std::vector<Variant>& variants) {
    Random random(seed * 1000003u + index);
    State state;
    variants.clear();
    for (const Setting& setting : kSettings) {
        auto variant = static_cast<Variant>(random() % kVariantCount);
        if (!setting.text && variant >= kTextAtBuffer) variant = kInRange;
        variants.push_back(variant);
        state.push_back(MakeValue(setting, variant, random));
    }
    return state;
}

std::optional<std::uint32_t> StoredNumber(const std::optional<RegValue>& value) {
    if (!value || value->type != REG_DWORD || value->data.size() != sizeof(std::uint32_t)) return std::nullopt;
    std::uint32_t number = 0;
    std::memcpy(&number, value->data.data(), sizeof number);
    return number;
}

// What the program may make of a stored text: the units up to the first
// zero or the end of the data, cut to its buffer; empty when unfit.
std::wstring StoredText(const std::optional<RegValue>& value, std::size_t units) {
    if (!value || value->type != REG_SZ) return {};
    std::wstring text(value->data.size() / sizeof(wchar_t), L'\0');
    std::memcpy(text.data(), value->data.data(), text.size() * sizeof(wchar_t));
    text.resize(std::wcslen(text.c_str()));
    if (text.size() > units - 1) text.resize(units - 1);
    return text;
}

std::wstring FileName(const std::wstring& path) {
    const std::size_t cut = path.find_last_of(L"\\/:");
    return cut == std::wstring::npos ? path : path.substr(cut + 1);
}

std::string Describe(const State& state, const std::vector<Variant>& variants) {
    std::ostringstream out;
    for (std::size_t i = 0; i < kSettingCount; ++i) {
        std::string name;
        for (const wchar_t* c = kSettings[i].name; *c; ++c) name += static_cast<char>(*c);
        out << "  " << name << ": " << kVariantNames[variants[i]];
        if (state[i]) {
            out << ", type " << state[i]->type << ", " << state[i]->data.size() << " bytes";
            if (auto number = StoredNumber(state[i])) out << ", " << *number;
        }
        out << "\n";
    }
    return out.str();
}

// Control characters other than the line breaks, and halves of surrogate
// pairs, can come only from memory beyond a text.
bool Clean(const std::wstring& text) {
    for (wchar_t c : text) {
        if ((c < 0x20 && c != L'\r' && c != L'\n') || (c >= 0xD800 && c <= 0xDFFF)) return false;
    }
    return true;
}

void WriteState(const State& state) {
    settings::DeleteKey();
    // An empty key too: the program's first read would create it.
    settings::Write(L"", REG_NONE, nullptr, 0);
    settings::Delete(L"");
    for (std::size_t i = 0; i < kSettingCount; ++i) {
        if (state[i]) settings::Write(kSettings[i].name, state[i]->type, state[i]->data.data(), state[i]->data.size());
    }
}

// Checks the main window's texts against what the stored state allows.
void CheckTexts(HWND main, const State& state) {
    const std::wstring summary = ControlText(main, IDC_MAIN_SUMMARY);
    EXPECT_LT(summary.size(), kSummaryUnits);
    EXPECT_TRUE(Clean(summary)) << "summary: " << ::testing::PrintToString(summary);
    const std::wstring args = StoredText(state[15], 260);
    const std::wstring program = FileName(StoredText(state[14], 260));
    const std::wstring sound = FileName(StoredText(state[13], 260));
    if (summary.find(L"引数： ") != std::wstring::npos) {
        EXPECT_NE(summary.find(L"[ﾌﾟﾛｸﾞﾗﾑ： " + program + L"  引数： " + args + L"]"), std::wstring::npos)
            << "summary: " << ::testing::PrintToString(summary);
    }
    if (summary.find(L"[サウンド： ") != std::wstring::npos) {
        EXPECT_NE(summary.find(L"[サウンド： " + sound + L"]"), std::wstring::npos)
            << "summary: " << ::testing::PrintToString(summary);
    }

    std::wstring clock;
    WaitUntil([&] { return !(clock = ControlText(main, IDC_MAIN_CLOCK)).empty(); });
    EXPECT_LT(clock.size(), kClockUnits);
    EXPECT_EQ(clock.rfind(L"現在： ", 0), 0u) << ::testing::PrintToString(clock);
    EXPECT_TRUE(Clean(clock));

    for (std::size_t i = 0; i < kSettingCount; ++i) {
        if (kSettings[i].combo == 0) continue;
        // An unfit value leaves 0; a number no item shows leaves none.
        const std::uint32_t number = StoredNumber(state[i]).value_or(0);
        const std::wstring expected = number <= kSettings[i].bound ? std::to_wstring(number) : L"";
        EXPECT_EQ(ControlText(main, kSettings[i].combo), expected) << "combo " << kSettings[i].combo;
    }
    const std::wstring run = ControlText(main, IDC_MAIN_RUN);
    EXPECT_TRUE(run == L"処理実行" || run == L"処理中断") << ::testing::PrintToString(run);
    EXPECT_EQ(Text(main), kMainTitle);
}

using RegistryFuzz = ProgramTest;

TEST_F(RegistryFuzz, EveryDamagedStateStartsCleanlyWritesNothingAndEndsOnBye) {
    const unsigned count = StressCount(25);
    const unsigned seed = StressSeed(20240611);
    const int hourNow = [] {
        SYSTEMTIME now;
        ::GetLocalTime(&now);
        return now.wHour;
    }();
    std::vector<Variant> variants;
    for (unsigned index = 0; index < count && !HasFailure(); ++index) {
        State state = MakeState(seed, index, variants);
        // Registered start-up arms the scheduled end at once: its moment is
        // kept half a day away, so that no end action can run here.
        const std::optional<std::uint32_t> startup = StoredNumber(state[19]);
        const bool hides = startup && *startup != 0;
        if (hides) state[3] = RegValue{REG_DWORD, NumberBytes(static_cast<std::uint32_t>((hourNow + 12) % 24))};
        SCOPED_TRACE("replay with QM_STRESS_SEED=" + std::to_string(seed) +
                     " QM_STRESS_COUNT=" + std::to_string(index + 1) + "; state " + std::to_string(index) + ":\n" +
                     Describe(state, variants));

        WriteState(state);
        startup::Delete();
        const auto settingsBefore = KeySnapshot(kSettingsKey);
        const auto runBefore = KeySnapshot(kRunKey);

        Instances instances;
        Process* process = instances.Launch();
        ASSERT_TRUE(process);
        HWND main = hides ? FindMainWindow(process->id()) : WaitForMainWindow(process->id());
        ASSERT_TRUE(main) << (process->Running() ? "no main window" : "the program has ended");
        EXPECT_TRUE(Responds(main));
        CheckTexts(main, state);

        PostClick(main, IDC_MAIN_BYE);
        const std::optional<DWORD> code = process->WaitForExit();
        EXPECT_EQ(code, std::optional<DWORD>(1));
        EXPECT_EQ(KeySnapshot(kSettingsKey), settingsBefore) << "the settings key changed";
        EXPECT_EQ(KeySnapshot(kRunKey), runBefore) << "the Run key changed";
    }
}

}  // namespace
