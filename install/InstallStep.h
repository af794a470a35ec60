#pragma once
// The shape every install step shares: its constructor does the work and
// records it; its destructor undoes what it recorded unless the step was told
// to keep it (the commit, or the step itself when its item existed before) or
// rollback is switched off with -noRollback. Undo reports failures and never
// throws. Steps are concrete local objects of the driver; destroying them in
// reverse order of creation is the rollback.
//
// Every step made while a Transaction runs is known to it, so that its commit
// covers exactly the steps there are, whoever made them.
#include <vector>

#include "install/InstallParams.h"
#include "install/RunJournal.h"

class InstallStep {
public:
    InstallStep(const InstallStep&) = delete;
    InstallStep& operator=(const InstallStep&) = delete;

    void Keep() { keep = true; }

protected:
    // Joins the running transaction, if there is one.
    InstallStep();
    ~InstallStep();

    // True when the destructor is to undo the step's recorded work.
    bool RollbackWanted() const { return !keep && !Params().noRollback; }

    bool keep = false;
};

// The installation as one unit: made before the first step, it goes after the
// last, and with it the record of the run's changes (RunJournal).
class Transaction {
public:
    Transaction();
    ~Transaction();
    Transaction(const Transaction&) = delete;
    Transaction& operator=(const Transaction&) = delete;

    // Every step made while this transaction runs keeps its work, once the
    // record of the changes is gone (RunJournal::Commit, which may raise).
    void Commit();

private:
    friend class InstallStep;

    RunJournal journal_;
    std::vector<InstallStep*> steps_;  // not owned: the driver's locals
};
