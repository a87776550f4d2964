// The process-wide state record.
#include "state/app_state.h"

AppState app;

void RestoreHeadline() {
    app.detailLine.Clear();
    if (!app.typedPhrase.Empty()) {
        app.headline.SetFrom(app.typedPhrase);
    } else {
        app.headline.SetFrom(app.phraseText);
    }
}
