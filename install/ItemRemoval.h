#pragma once
// The undo of one created item (a directory, a file, a shortcut): announce,
// remove, and when that fails report why and schedule the removal for the next
// restart. The texts differ per kind of item; the pattern does not.
#include <string>

struct RemovalTexts {
    const char* announcement;      // + path
    const char* failure;           // + reason
    const char* boxTitle;
    const char* boxSentence;       // what happens next, ends the box text
    const char* scheduling;
    const char* schedulingFailed;
};

extern const RemovalTexts kDirectoryRemoval;
extern const RemovalTexts kFileRemoval;
extern const RemovalTexts kShortcutRemoval;

// remove: the Win32 call (RemoveDirectoryA, DeleteFileA). Never raises.
void RemoveOrScheduleOnReboot(const std::string& path, const RemovalTexts& texts, int (__stdcall* remove)(const char*));
