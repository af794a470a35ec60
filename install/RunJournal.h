#pragma once
// What the running installation has made so far, kept in the registry before
// each change is made, so that the next run can undo the work of a run that
// was killed midway. The items are written as the uninstall parameter string
// writes them, in the order they were made, and name only what the run itself
// created, never what was there before.
//
// With rollback switched off (-noRollback) nothing is kept: a failed run then
// leaves its work, and so may a killed one.
#include <string>
#include <string_view>

class RunJournal {
public:
    // Begins an empty record. The transaction (InstallStep.h) holds it, made
    // before the first step, so that it ends after every step has been undone.
    RunJournal();
    // Removes the record: the run has rolled back (or committed).
    ~RunJournal();
    RunJournal(const RunJournal&) = delete;
    RunJournal& operator=(const RunJournal&) = delete;

    // The run has made everything: the record goes before the steps are told
    // to keep their work, so that a run killed in between counts as done.
    // Raises InstallError when the record cannot be removed; the next run
    // would otherwise undo this installation.
    void Commit();

    // Kept in the record of the live journal before the item is made; nowhere
    // when there is none.
    static void Directory(std::string_view path);
    static void File(std::string_view path);
    static void RegistryKey(std::string_view keyPath);
    static void FileAssociation(std::string_view extension, std::string_view progId);
    static void SearchPathEntry(std::string_view environmentKey, std::string_view directory);
    static void AutoexecPathEntry(std::string_view directory);

private:
    template <typename Item>
    static void Add(Item item);
    // False when the record could not be removed.
    bool Remove();

    int place_ = -1;  // which of the places keeps the record; -1: none
    std::string text_;
};

// Undoes what a run that died has made, as its record says, and removes the
// record; false when there was nothing to undo. Only for a holder of the
// setup lock: no other run is then alive to own a record.
bool FinishInterruptedRun();
