#pragma once
// One shell link (.lnk) made through the shell's COM objects, recorded for the
// uninstaller and removed again on rollback.
#include <string>

#include "InstallStep.h"

struct ShortcutParams {
    std::string linkPath;
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

    bool Created() const { return created_; }

private:
    std::string linkPath_;
    bool created_ = false;
};
