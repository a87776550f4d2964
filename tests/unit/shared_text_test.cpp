// Texts shared between the GUI thread and workers: whole texts only, cut to
// their size.
#include <gtest/gtest.h>

#include <atomic>
#include <string>
#include <thread>
#include <vector>

#include "state/shared_text.h"

namespace {

TEST(SharedText, SetCutsAndTerminates) {
    SharedText<6> text;
    EXPECT_TRUE(text.Empty());
    text.Set(L"0123456789");
    EXPECT_EQ(L"01234", text.Get());
    text.Set(L"ab\U0001F600\U0001F600");  // the second pair would be split
    EXPECT_EQ(L"ab\U0001F600", text.Get());
    text.Set(nullptr);
    EXPECT_TRUE(text.Empty());
}

TEST(SharedText, FormatCopyToAndSetFromCut) {
    SharedText<10> text;
    text.Format(L"%ls:%d", L"終了まで", 12345);
    EXPECT_EQ(L"終了まで:1234", text.Get());

    wchar_t small[4] = L"zzz";
    text.CopyTo(small);
    EXPECT_STREQ(L"終了ま", small);

    SharedText<40> wide;
    wide.Set(L"好きな言葉を入力すれば？");
    text.SetFrom(wide);
    EXPECT_EQ(L"好きな言葉を入力す", text.Get());
}

// Writers each store their own full-length text; every text a reader sees is
// one of them whole, never a mix.
TEST(SharedText, ConcurrentWritersAndReadersSeeOnlyWholeTexts) {
    constexpr std::size_t kUnits = 50;
    constexpr int kWriters = 4;
    constexpr int kReaders = 3;
    constexpr int kRounds = 20000;
    SharedText<kUnits> shared;

    std::vector<std::wstring> texts;
    for (int w = 0; w < kWriters; ++w) texts.emplace_back(kUnits - 1, static_cast<wchar_t>(L'A' + w));
    const std::wstring shortText = L"short";  // a shorter text exposes a half-copied terminator
    texts.push_back(shortText);

    std::atomic<bool> stop{false};
    std::atomic<int> torn{0};
    std::atomic<long> reads{0};
    std::vector<std::thread> threads;
    for (int r = 0; r < kReaders; ++r) {
        threads.emplace_back([&, r] {
            wchar_t copy[kUnits];
            while (!stop.load()) {
                std::wstring seen;
                if (r % 2 == 0) {
                    seen = shared.Get();
                } else {
                    shared.CopyTo(copy);
                    seen = copy;
                }
                bool known = seen.empty();
                for (const std::wstring& t : texts) known = known || seen == t;
                if (!known) ++torn;
                ++reads;
            }
        });
    }
    std::vector<std::thread> writers;
    for (int w = 0; w < kWriters; ++w) {
        writers.emplace_back([&, w] {
            for (int i = 0; i < kRounds; ++i) {
                shared.Set(i % 3 == 0 ? shortText.c_str() : texts[w].c_str());
            }
        });
    }
    for (std::thread& t : writers) t.join();
    stop = true;
    for (std::thread& t : threads) t.join();
    EXPECT_EQ(0, torn.load());
    EXPECT_GT(reads.load(), 0);
}

}  // namespace
