// Bounded copying and formatting into fixed buffers, and the file-name part
// of a path.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/text.h"

namespace {

constexpr wchar_t kGuard = 0x5A5A;
constexpr std::size_t kGuardUnits = 8;
const std::wstring kSmile = L"\U0001F600";  // one surrogate pair

// A buffer of `capacity` units with a guard area behind it.
struct Guarded {
    explicit Guarded(std::size_t capacity) : capacity(capacity), units(capacity + kGuardUnits, kGuard) {}
    wchar_t* data() { return units.data(); }
    std::wstring text() const { return units.data(); }
    bool GuardIntact() const {
        for (std::size_t i = capacity; i < units.size(); ++i) {
            if (units[i] != kGuard) return false;
        }
        return true;
    }
    std::size_t capacity;
    std::vector<wchar_t> units;
};

struct CutCase {
    const char* what;
    std::wstring source;
    std::size_t capacity;
    std::wstring expected;
};

std::vector<CutCase> CutCases() {
    return {
        {"fits", L"abc", 10, L"abc"},
        {"fits exactly", L"abcd", 5, L"abcd"},
        {"cut by one", L"abcde", 5, L"abcd"},
        {"room for the terminator only", L"abc", 1, L""},
        {"empty", L"", 4, L""},
        {"Japanese", L"好きな言葉を入力すれば？", 6, L"好きな言葉"},
        {"pair would be split", L"ab" + kSmile, 4, L"ab"},
        {"pair fits exactly", L"ab" + kSmile, 5, L"ab" + kSmile},
        {"pair first, no room", kSmile + L"x", 2, L""},
        {"pair then cut after it", kSmile + L"xyz", 4, kSmile + L"x"},
        {"two pairs, second split", kSmile + kSmile, 4, kSmile},
    };
}

TEST(CopyText, CutsAtTheEndAlwaysTerminatesNeverSplitsAPair) {
    for (const CutCase& c : CutCases()) {
        SCOPED_TRACE(c.what);
        Guarded dest(c.capacity);
        CopyText(dest.data(), c.capacity, c.source.c_str());
        EXPECT_EQ(c.expected, dest.text());
        EXPECT_TRUE(dest.GuardIntact());
    }
}

TEST(CopyText, NoRoomOrNoSourceIsSafe) {
    wchar_t guard = kGuard;
    CopyText(&guard, 0, L"abc");
    EXPECT_EQ(kGuard, guard);

    wchar_t dest[4] = L"old";
    CopyText(dest, nullptr);
    EXPECT_STREQ(L"", dest);
}

TEST(FormatText, CutsAtTheEndAlwaysTerminatesNeverSplitsAPair) {
    for (const CutCase& c : CutCases()) {
        SCOPED_TRACE(c.what);
        Guarded dest(c.capacity);
        FormatText(dest.data(), c.capacity, L"%ls", c.source.c_str());
        EXPECT_EQ(c.expected, dest.text());
        EXPECT_TRUE(dest.GuardIntact());
    }
}

TEST(FormatText, WideArgumentsAndNumbers) {
    wchar_t line[50];
    FormatText(line, L"指定時間終了 %ls", L"12時30分");
    EXPECT_STREQ(L"指定時間終了 12時30分", line);
    FormatText(line, L"終了まで：%d秒", -5);
    EXPECT_STREQ(L"終了まで：-5秒", line);
    FormatText(line, L"%ls|%ls|%d", L"", kSmile.c_str(), 0);
    EXPECT_EQ(L"|" + kSmile + L"|0", std::wstring(line));
    FormatText(line, L"100%%");
    EXPECT_STREQ(L"100%", line);
}

// Longer results than the internal first attempt still come out whole, or
// cut to the destination.
TEST(FormatText, LongResults) {
    const std::wstring long1000(1000, L'q');
    Guarded whole(1200);
    FormatText(whole.data(), whole.capacity, L"<%ls>", long1000.c_str());
    EXPECT_EQ(L"<" + long1000 + L">", whole.text());
    EXPECT_TRUE(whole.GuardIntact());

    Guarded cut(300);
    FormatText(cut.data(), cut.capacity, L"<%ls>", long1000.c_str());
    EXPECT_EQ(L"<" + std::wstring(298, L'q'), cut.text());
    EXPECT_TRUE(cut.GuardIntact());
}

TEST(FileNamePart, TextAfterTheLastSeparator) {
    const struct {
        const wchar_t* path;
        const wchar_t* name;
    } cases[] = {
        {L"C:\\dir\\app.exe", L"app.exe"},
        {L"app.exe", L"app.exe"},
        {L"", L""},
        {L"dir/x.wav", L"x.wav"},
        {L"C:\\dir\\", L""},
        {L"C:app.exe", L"app.exe"},
        {L"\\\\server\\share\\音.wav", L"音.wav"},
        {L"C:\\a.b\\noext", L"noext"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::PrintToString(std::wstring(c.path)));
        const wchar_t* name = FileNamePart(c.path);
        EXPECT_STREQ(c.name, name);
        // The part is a tail of the same text, not a copy.
        EXPECT_EQ(c.path + std::wcslen(c.path) - std::wcslen(c.name), name);
    }
}

}  // namespace
