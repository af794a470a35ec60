#pragma once
// What became of one listed item, with the sentence that says so when there
// is something to say (nothing for an item removed or already gone).
#include <string>

struct ItemOutcome {
    enum Kind {
        Removed,    // removed now, or already gone
        Scheduled,  // removed at the next restart
        Kept,       // left in place on purpose (not empty, another owner's)
        Failed,     // neither removed nor scheduled
    };

    Kind kind = Removed;
    std::string text;
};

inline ItemOutcome RemovedOutcome() { return {}; }
