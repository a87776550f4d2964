// Looking up the end actions' table.
#include "state/end_action.h"

namespace {

template <typename Matches>
const EndActionFacts* Find(Matches matches) {
    for (const EndActionFacts& facts : kEndActions) {
        if (matches(facts)) return &facts;
    }
    return nullptr;
}

}  // namespace

const EndActionFacts* FactsOf(EndAction action) {
    return Find([action](const EndActionFacts& facts) { return facts.action == action; });
}

const wchar_t* EndActionName(EndAction action) {
    const EndActionFacts* facts = FactsOf(action);
    return facts != nullptr ? facts->name : nullptr;
}

bool SleepsMachine(EndAction action) {
    const EndActionFacts* facts = FactsOf(action);
    return facts != nullptr && facts->sleeps;
}

bool NeedsShutdownRight(EndAction action) {
    const EndActionFacts* facts = FactsOf(action);
    return facts != nullptr && facts->needsShutdownRight;
}

const wchar_t* TestModeMessage(EndAction action, bool force) {
    const EndActionFacts* facts = FactsOf(action);
    if (facts == nullptr) return nullptr;
    return force ? facts->forcedTestMessage : facts->testMessage;
}
