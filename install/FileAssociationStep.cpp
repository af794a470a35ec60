#include "FileAssociationStep.h"

#include "ZeRizIva/Console.h"
#include "ZeRizIva/RegKey.h"
#include "install/Prompt.h"
#include "InstallerRegistry.h"
#include "RegistryCleanup.h"
#include "RegistryRemoval.h"
#include "RunJournal.h"
#include "install/ExitCodes.h"

namespace {

void WriteDefault(const std::string& keyPath, const std::string& text) { RegKey(keyPath).WriteString("", text, false); }

void RecordKey(const std::string& keyPath) { UninstallRecord().RegistryKey(keyPath); }

} // namespace

FileAssociationStep::FileAssociationStep(const FileAssociation& association)
    : progIdKey_(ClassesKeyPath(association.progId)), extensionKey_(ClassesKeyPath(association.extension)),
      extension_(association.extension),
      progId_(association.progId)
{
    RegKey(extensionKey_).TryReadString("", previousProgId_, true);
    if (!previousProgId_.empty())
        WriteLine("Warning: Replacing file association for extension '" + extension_ +
                  "' currently associated with " + previousProgId_);
    else
        WriteLine("Registering file association for extension '" + extension_ + "'");

    // A ProgID that was there before (this version installed before) stays
    // when a dead run is undone, as it does on rollback; a new one goes.
    const RegKey existing(progIdKey_);
    const bool newProgId = !RegistryKeyExists(existing.Root(), existing.Subkey());
    const auto writeProgIdKey = [&](const std::string& keyPath, const std::string& text) {
        if (newProgId)
            RunJournal::RegistryKey(keyPath);
        WriteDefault(keyPath, text);
    };
    try {
        RunJournal::FileAssociation(extension_, progId_);
        WriteDefault(extensionKey_, association.progId);
        written_ = true;
        RecordKey(extensionKey_);
        writeProgIdKey(progIdKey_, association.description);
        writeProgIdKey(progIdKey_ + "\\DefaultIcon", association.icon);
        // Recorded too: unlisted, it would count as another program's subkey
        // and keep the ProgID key after an uninstallation.
        RecordKey(progIdKey_ + "\\DefaultIcon");
        if (!association.verbs.empty()) {
            const std::string shellKey = progIdKey_ + "\\Shell";
            writeProgIdKey(shellKey, association.verbs.front().first);
            for (const auto& [verb, command] : association.verbs) {
                const std::string verbKey = shellKey + "\\" + verb;
                writeProgIdKey(verbKey, verb);
                writeProgIdKey(verbKey + "\\command", command);
                RecordKey(verbKey + "\\command");
                RecordKey(verbKey);
            }
            RecordKey(shellKey);
        }
        RecordKey(progIdKey_);
    } catch (const std::exception& error) {
        const std::string reason = error.what();
        try {
            Ask(Question{
                "Registering File Association Failed",
                "Warning: registering file associaton for extension '" + extension_ + "' failed.\nReason: " +
                    reason + ".\nDo you want to continue with the installation anyway?",
                false,
                "Warning: registering file association for extension '" + extension_ + "' failed. Reason: " + reason,
                "Registering file association for extension '" + extension_ + "' failed. Reason: " + reason +
                    ", aborting",
                "registering file association failed",
                exit_code::kFileAssociationFailed,
            });
        } catch (...) {
            // The run ends here, and this step will not be destroyed: give the
            // extension back now, or it would stay ours.
            Undo();
            throw;
        }
    }
}

FileAssociationStep::~FileAssociationStep() { Undo(); }

void FileAssociationStep::Undo()
{
    if (!RollbackWanted() || !written_)
        return;
    written_ = false;
    const bool restoring = !previousProgId_.empty();
    try {
        WriteLine("Rollback: removing previously created file association for extension " + extension_);
        // The ProgID key stays: the association given back may name it (a
        // reinstallation of this version).
        const ExtensionGiveBack result = GiveBackExtension(extensionKey_, progId_, previousProgId_);
        if (result.outcome == ExtensionGiveBack::GivenBack)
            WriteLogLine("Rollback: file association for extension " + extension_ + " given back");
        else if (result.outcome == ExtensionGiveBack::TakenByOthers)
            WriteLogLine("Rollback: extension " + extension_ + " left as another program has taken it");
        if (result.outcome == ExtensionGiveBack::Failed) {
            WriteLine(std::string(restoring ? "Restoring" : "Removing") + " file association failed: " + result.failure);
            NotifyRollbackFailure(restoring ? "Restoring File Association Failed" : "Removing File Association Failed",
                                  std::string("Unable to ") + (restoring ? "restore" : "remove previoisly created") +
                                      " file association for extenstion '" + extension_ + "'.\nReason: " +
                                      result.failure);
        }
    } catch (...) {
        // An undo never stops the rollback.
    }
}
