#pragma once
// The shape every install step shares: its constructor does the work and
// records it; its destructor undoes what it recorded unless the step was told
// to keep it (the commit, or the step itself when its item existed before) or
// rollback is switched off with -noRollback. Undo reports failures and never
// throws. Steps are concrete local objects of the driver; destroying them in
// reverse order of creation is the rollback.
#include <memory>

#include "install/InstallParams.h"

class InstallStep {
public:
    InstallStep(const InstallStep&) = delete;
    InstallStep& operator=(const InstallStep&) = delete;

    void Keep() { keep = true; }
    bool Kept() const { return keep; }

protected:
    InstallStep() = default;
    ~InstallStep() = default;

    // True when the destructor is to undo the step's recorded work.
    bool RollbackWanted() const { return !keep && !Params().noRollback; }

    bool keep = false;
};

// An optional step is an owning holder at its place in the order: empty when
// the step was left out.
template <typename Step>
void KeepStep(Step& step)
{
    step.Keep();
}
template <typename Step>
void KeepStep(std::unique_ptr<Step>& step)
{
    if (step)
        step->Keep();
}

// The commit: every step made keeps its work. Nothing here can fail.
template <typename... Steps>
void CommitSteps(Steps&... steps)
{
    (KeepStep(steps), ...);
}
