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

#include "uninstall_contract/UninstallParams.h"

struct RemovalReport {
    std::vector<std::string> failed;
    std::vector<std::string> scheduled;
    std::vector<std::string> kept;
};

RemovalReport RemoveListedItems(const std::vector<UninstallItem>& items);
