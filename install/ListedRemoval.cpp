#include "ListedRemoval.h"

#include "ItemOutcome.h"
#include "PathRemoval.h"
#include "RegistryRemoval.h"
#include "SearchPathRemoval.h"
#include "ZeRizIva/Codepage.h"
#include "ZeRizIva/Console.h"
#include "ZeRizIva/Text.h"

namespace {

// A path (of a key or a file) strictly below another one.
bool IsBelow(const std::string& path, std::string parent)
{
    if (EndsWithBackslash(parent))
        parent.pop_back();
    return path.size() > parent.size() + 1 && path[parent.size()] == '\\' &&
           CompareNoCaseMultibyte(path.substr(0, parent.size()), parent) == 0;
}

// The running uninstaller's own file, or a directory that holds it.
bool Holds(const UninstallItem& item, const std::string& heldFile)
{
    switch (item.kind) {
    case UninstallSwitch::DelMainFile:
    case UninstallSwitch::DelFile:
        return CompareNoCaseMultibyte(item.value, heldFile) == 0;
    case UninstallSwitch::DelDir:
        return IsBelow(heldFile, item.value);
    default:
        return false;
    }
}

} // namespace

ListedRemoval::ListedRemoval(const std::vector<UninstallItem>& items, const std::string& heldFile)
    : items_(items), done_(items.size(), false), held_(items.size(), false)
{
    for (size_t i = 0; i < items_.size(); ++i) {
        const UninstallItem& item = items_[i];
        if (item.kind == UninstallSwitch::RstFileAssoc)
            associationKeys_.push_back(ClassesKeyPath(SplitAtColon(item.value).first));
        held_[i] = !heldFile.empty() && Holds(item, heldFile);
    }
}

const RemovalReport& ListedRemoval::Round(bool held)
{
    for (size_t i = items_.size(); i-- > 0;)
        if (!done_[i] && held_[i] == held)
            Remove(i);
    return report_;
}

void ListedRemoval::Remove(size_t index)
{
    done_[index] = true;
    const UninstallItem& item = items_[index];
    switch (item.kind) {
    case UninstallSwitch::ShareResWith:
        return;  // names another product, nothing of this installation
    case UninstallSwitch::DelDir:
        Record(RemoveListedDirectory(item.value, HasScheduledBelow(item.value)), item.value);
        return;
    case UninstallSwitch::DelMainFile:
    case UninstallSwitch::DelFile:
        Record(DeleteListedFile(item.value), item.value);
        return;
    case UninstallSwitch::SchdlDelDir:
    case UninstallSwitch::SchdlDelFile:
        Record(ScheduleListedItem(item.value, item.kind == UninstallSwitch::SchdlDelDir), item.value);
        return;
    case UninstallSwitch::DelRegKey:
        RemoveKey(item.value);
        return;
    case UninstallSwitch::DelRegValue: {
        const ColonPair keyAndValue = SplitAtColon(item.value);
        Record(DeleteListedValue(keyAndValue.first, keyAndValue.second), {});
        return;
    }
    case UninstallSwitch::RstFileAssoc: {
        const ColonPair extensionAndProgId = SplitAtColon(item.value);
        Record(GiveBackFileAssociation(extensionAndProgId.first, extensionAndProgId.second), {});
        return;
    }
    case UninstallSwitch::DelPathEntry: {
        const ColonPair keyAndDirectory = SplitAtColon(item.value);
        Record(RemoveSearchPathEntry(keyAndDirectory.first, keyAndDirectory.second), {});
        return;
    }
    case UninstallSwitch::DelAutoexecPath:
        Record(RemoveAutoexecPathEntry(item.value), {});
        return;
    }
}

void ListedRemoval::RemoveKey(const std::string& keyPath)
{
    for (const std::string& associationKey : associationKeys_)
        if (CompareNoCaseMultibyte(keyPath, associationKey) == 0)
            return;
    for (size_t i = items_.size(); i-- > 0;) {
        if (!done_[i] && items_[i].kind == UninstallSwitch::DelRegKey && IsBelow(items_[i].value, keyPath)) {
            done_[i] = true;
            RemoveKey(items_[i].value);
        }
    }
    Record(DeleteListedKey(keyPath), {});
}

bool ListedRemoval::HasScheduledBelow(const std::string& directory) const
{
    for (const std::string& path : scheduledPaths_)
        if (IsBelow(path, directory))
            return true;
    return false;
}

void ListedRemoval::Record(const ItemOutcome& outcome, const std::string& path)
{
    if (!outcome.text.empty())
        WriteLine(outcome.text);
    switch (outcome.kind) {
    case ItemOutcome::Removed:
        return;
    case ItemOutcome::Scheduled:
        if (!path.empty())
            scheduledPaths_.push_back(path);
        report_.scheduled.push_back(outcome.text);
        return;
    case ItemOutcome::Kept:
        report_.kept.push_back(outcome.text);
        return;
    case ItemOutcome::Failed:
        report_.failed.push_back(outcome.text);
        return;
    }
}

