#pragma once
// Install step: one file written from a zlib-compressed resource (the
// uninstaller). Deleted on rollback unless it was there before.
#include <string>

#include "install/InstallStep.h"

class FileStep : public InstallStep {
public:
    // An empty path means the uninstaller path.
    FileStep(int resourceId, std::string path);
    ~FileStep();

    const std::string& Path() const { return path_; }

private:
    std::string path_;
};
