// The moments the main window's combos choose.
#include "schedule/moments.h"

#include "schedule/target_time.h"

std::optional<std::tm> ResolveMoment(const MomentTexts& texts, std::int64_t now) {
    return ResolveTargetTime(texts.month, texts.day, texts.hour, texts.minute, now);
}
