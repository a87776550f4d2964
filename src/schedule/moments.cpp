// The moments the main window's combos choose.
#include "schedule/moments.h"

#include <cwchar>

#include "schedule/target_time.h"

namespace {

// Fixed as ResolveTargetTime reads it: a number other than 0.
bool Fixed(const wchar_t* text) { return std::wcstol(text, nullptr, 10) != 0; }

}  // namespace

std::optional<std::tm> ResolveMoment(const MomentTexts& texts, std::int64_t now) {
    return ResolveTargetTime(texts.month, texts.day, texts.hour, texts.minute, now);
}

bool FixesDate(const MomentTexts& texts) { return Fixed(texts.month) && Fixed(texts.day); }
