#include "RunJournal.h"

#include <windows.h>

#include <cstring>
#include <vector>

#include "ListedRemoval.h"
#include "RegistryCleanup.h"
#include "ZeRizIva/Console.h"
#include "ZeRizIva/Exceptions.h"
#include "ZeRizIva/RegKey.h"
#include "ZeRizIva/UniqueHandle.h"
#include "install/InstallParams.h"
#include "uninstall_contract/UninstallParamsWriter.h"

namespace {

// The machine's record where the run may write it, else the user's (a run
// without administrator rights).
struct Place {
    HKEY root;
    const char* keyPath;
};
const Place kPlaces[] = {
    {HKEY_LOCAL_MACHINE, "HKEY_LOCAL_MACHINE\\SOFTWARE\\Korvane Velantrix Setup"},
    {HKEY_CURRENT_USER, "HKEY_CURRENT_USER\\Software\\Korvane Velantrix Setup"},
};
constexpr int kPlaceCount = sizeof kPlaces / sizeof kPlaces[0];
constexpr char kRecordValue[] = "Unfinished run";

RunJournal* live = nullptr;  // the journal of this run, while it lasts

// Written past RegKey, whose writes the test build counts and fails by
// number: the record is not one of the steps' registry writes.
bool WriteRecord(const Place& place, const std::string& text)
{
    const char* subkey = std::strchr(place.keyPath, '\\') + 1;
    HKEY opened = nullptr;
    if (RegCreateKeyExA(place.root, subkey, 0, nullptr, 0, KEY_SET_VALUE, nullptr, &opened, nullptr) != ERROR_SUCCESS)
        return false;
    const UniqueRegKey key(opened);
    return RegSetValueExA(key.get(), kRecordValue, 0, REG_SZ, reinterpret_cast<const BYTE*>(text.c_str()),
                          static_cast<DWORD>(text.size() + 1)) == ERROR_SUCCESS;
}

// False when a record is still there.
bool Forget(const Place& place)
{
    return DeleteValueOf(place.keyPath, kRecordValue).empty() && DeleteKeyIfEmpty(place.keyPath).empty();
}

} // namespace

RunJournal::RunJournal()
{
    if (Params().noRollback)
        return;
    for (int place = 0; place < kPlaceCount; ++place) {
        if (WriteRecord(kPlaces[place], text_)) {
            place_ = place;
            live = this;
            return;
        }
    }
    // Without a place for the record the run goes on as runs did before there was one.
}

RunJournal::~RunJournal()
{
    if (live == this)
        live = nullptr;
    Remove();
}

void RunJournal::Commit()
{
    if (!Remove())
        throw InstallError(std::string("Removing the record of the installation's changes from '") +
                           kPlaces[place_].keyPath + "' failed");
    live = nullptr;
}

bool RunJournal::Remove()
{
    if (place_ < 0)
        return true;
    if (!Forget(kPlaces[place_]))
        return false;
    place_ = -1;
    return true;
}

template <typename Item>
void RunJournal::Add(Item item)
{
    if (!live)
        return;
    try {
        UninstallParamsWriter writer(live->text_);
        item(writer);
    } catch (const UninstallParamsError&) {
        return;  // a value no record can hold; the step that makes it reports it
    }
    // A record that cannot be kept leaves the run as runs were before there was one.
    WriteRecord(kPlaces[live->place_], live->text_);
}

void RunJournal::Directory(std::string_view path)
{
    Add([&](UninstallParamsWriter& writer) { writer.Directory(path); });
}

void RunJournal::File(std::string_view path)
{
    Add([&](UninstallParamsWriter& writer) { writer.File(path); });
}

void RunJournal::RegistryKey(std::string_view keyPath)
{
    Add([&](UninstallParamsWriter& writer) { writer.RegistryKey(keyPath); });
}

void RunJournal::FileAssociation(std::string_view extension, std::string_view progId)
{
    Add([&](UninstallParamsWriter& writer) { writer.FileAssociation(extension, progId); });
}

void RunJournal::SearchPathEntry(std::string_view environmentKey, std::string_view directory)
{
    Add([&](UninstallParamsWriter& writer) { writer.SearchPathEntry(environmentKey, directory); });
}

void RunJournal::AutoexecPathEntry(std::string_view directory)
{
    Add([&](UninstallParamsWriter& writer) { writer.AutoexecPathEntry(directory); });
}

bool FinishInterruptedRun()
{
    bool undone = false;
    for (const Place& place : kPlaces) {
        RegKey key(place.keyPath);
        std::string text;
        key.TryReadString(kRecordValue, text, false);
        if (key.failed())
            continue;
        std::vector<UninstallItem> items;
        try {
            items = ParseUninstallParams(text);
        } catch (const UninstallParamsError&) {
            // Empty: the run died before it made anything.
        }
        if (!items.empty()) {
            WriteLine("An earlier run of the installer ended before it was done; undoing what it made");
            ListedRemoval removal(items, "");
            removal.RemoveAllButHeld();
            undone = true;
        }
        if (!Forget(place))
            WriteLine(std::string("Warning: the record of the earlier run could not be removed from '") +
                      place.keyPath + "'");
    }
    return undone;
}
