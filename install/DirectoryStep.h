#pragma once
// Makes sure a directory exists before anything is put into it, and removes it
// on rollback if, and only if, this step created it. One level only: the parent
// must exist.
#include <string>

#include "InstallStep.h"

class DirectoryStep : public InstallStep {
public:
    DirectoryStep(std::string path, bool mustBeEmpty);
    ~DirectoryStep();

    const std::string& Path() const { return path_; }

private:
    std::string path_;
    bool created_ = false;
};
