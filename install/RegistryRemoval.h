#pragma once
// Registry keys, values and file associations listed for removal.
#include <string>

#include "ItemOutcome.h"

// Keeps subkeys that others added (only the key's values go then).
ItemOutcome DeleteListedKey(const std::string& keyPath);
// An empty value name is the key's default value.
ItemOutcome DeleteListedValue(const std::string& keyPath, const std::string& valueName);

// The key of an extension or a ProgID: "HKEY_LOCAL_MACHINE\SOFTWARE\Classes\<name>".
std::string ClassesKeyPath(const std::string& name);
// Gives the extension back: the installation pointed it at progId, replacing
// whatever it named before, which was not recorded. While the extension still
// names progId, that value is deleted (the extension is then unassociated) and
// the key goes once nothing else is in it; when another program has pointed it
// elsewhere since, the key is left as it is.
ItemOutcome GiveBackFileAssociation(const std::string& extension, const std::string& progId);
