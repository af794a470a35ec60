#pragma once
// One shell link (.lnk) made through the shell's COM objects, recorded for the
// uninstaller and removed again on rollback. A link whose folder is unknown is
// a failure of the step: it is never made relative to the current folder.
#include <string>

#include "InstallStep.h"

struct ShortcutParams {
    std::string folder;            // empty: the shell could not tell where it goes
    std::string linkName;
    std::string target;
    std::string arguments;         // not set when empty
    std::string workingDirectory;  // not set when empty
    std::string description;       // not set when empty
    std::string iconPath;          // empty: the icon comes from the target
    int iconIndex = 0;
};

class ShortcutStep : public InstallStep {
public:
    explicit ShortcutStep(const ShortcutParams& params);
    ~ShortcutStep();


private:
    std::string linkPath_;
    bool created_ = false;
};
