// The process-wide state record.
#include "state/app_state.h"

#include <atomic>

namespace {

std::atomic<AppState*> installed{nullptr};

}  // namespace

AppState& App() { return *installed.load(std::memory_order_acquire); }

void InstallApp(AppState& state) { installed.store(&state, std::memory_order_release); }

void RestoreHeadline() {
    App().detailLine.Clear();
    if (!App().typedPhrase.Empty()) {
        App().headline.SetFrom(App().typedPhrase);
    } else {
        App().headline.SetFrom(App().phraseText);
    }
}
