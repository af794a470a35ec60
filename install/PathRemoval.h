#pragma once
// Files and directories listed for removal. A file or directory that cannot be
// removed now (in use) is scheduled for removal at the next restart. Nothing
// is removed recursively: a directory goes only once it is empty.
#include <string>

#include "ItemOutcome.h"

ItemOutcome DeleteListedFile(const std::string& path);
// somethingInsideScheduled: an item below it waits for the next restart, so
// the directory follows it then.
ItemOutcome RemoveListedDirectory(const std::string& path, bool somethingInsideScheduled);
ItemOutcome ScheduleListedItem(const std::string& path, bool directory);
