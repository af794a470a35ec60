#pragma once
// Removes what the uninstall parameter string lists, newest first, so that
// what was made inside something goes before it (files before their
// directory). Two refinements of that order:
// - A listed registry key goes after every listed key below it, whatever
//   their order in the string (the installer lists a ProgID's keys before
//   their parent).
// - An extension named by "-rstFileAssoc=" is given back by that item alone
//   (GiveBackFileAssociation); a "-delRegKey=" item for the same extension key
//   is not used, so another program's association is never deleted.
// Every sentence about an item (scheduled, kept, failed) is written as a line
// on standard output as it happens.
#include <string>
#include <vector>

#include "ItemOutcome.h"
#include "uninstall_contract/UninstallParams.h"

struct RemovalReport {
    std::vector<std::string> failed;
    std::vector<std::string> scheduled;
    std::vector<std::string> kept;
};

// Removes in two rounds when a listed uninstaller file is still running: that
// file and the listed directories holding it can go only once it has ended.
// The first round removes everything else, the second those, each round
// newest first as above; each returns what the rounds so far reported.
class ListedRemoval {
public:
    // heldFile: the running file (empty: none; the first round is everything).
    ListedRemoval(const std::vector<UninstallItem>& items, const std::string& heldFile);

    const RemovalReport& RemoveAllButHeld() { return Round(false); }
    const RemovalReport& RemoveHeld() { return Round(true); }

private:
    const RemovalReport& Round(bool held);
    void Remove(size_t index);
    void RemoveKey(const std::string& keyPath);
    bool HasScheduledBelow(const std::string& directory) const;
    void Record(const ItemOutcome& outcome, const std::string& path);

    const std::vector<UninstallItem>& items_;
    std::vector<bool> done_;
    std::vector<bool> held_;
    std::vector<std::string> associationKeys_;
    std::vector<std::string> scheduledPaths_;  // kept across the rounds: a directory follows what waits inside
    RemovalReport report_;
};
