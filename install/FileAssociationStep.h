#pragma once
// Makes files with one extension open with an installed program, under
// HKEY_LOCAL_MACHINE\SOFTWARE\Classes. On rollback the extension gets back
// the association it had before, or loses ours.
#include <string>
#include <utility>
#include <vector>

#include "InstallStep.h"

struct FileAssociation {
    std::string progId;
    std::string extension;  // with its leading dot
    std::string description;
    std::string icon;       // "path,index"
    std::vector<std::pair<std::string, std::string>> verbs;  // name, command line; the first is the default
};

class FileAssociationStep : public InstallStep {
public:
    explicit FileAssociationStep(const FileAssociation& association);
    ~FileAssociationStep();

private:
    // The undo: the extension gets back its earlier ProgID, or loses ours
    // (RegistryCleanup.h has the rule).
    void Undo();

    std::string progIdKey_;
    std::string extensionKey_;
    std::string extension_;
    std::string progId_;
    bool written_ = false;
    std::string previousProgId_;
};
