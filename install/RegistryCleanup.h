#pragma once
// Taking out of the registry what an installation put there, and nothing that
// others added: used by the installer's rollback and by the uninstaller.
// Each returns the failure text of the call that failed, empty on success.
#include <string>

// A value or key already gone counts as deleted. An empty name is the key's
// default value.
std::string DeleteValueOf(const std::string& keyPath, const std::string& valueName);
// Deletes the key when it holds neither values nor subkeys; otherwise it stays.
std::string DeleteKeyIfEmpty(const std::string& keyPath);

// Giving an extension back after the installation pointed it at progId. While
// the extension key still names progId, the ProgID it named before is written
// back when it is known (the installer's rollback knows it; the uninstaller
// finds it unrecorded), and otherwise the default value is deleted and the key
// goes once nothing else is in it, so that values and subkeys other programs
// keep there survive. An extension that another program has taken since is
// left as it is.
struct ExtensionGiveBack {
    enum Outcome { GivenBack, TakenByOthers, Failed };
    Outcome outcome;
    std::string failure;  // Failed: the call and its reason
};
ExtensionGiveBack GiveBackExtension(const std::string& extensionKey, const std::string& progId,
                                    const std::string& previousProgId);
