#pragma once
#include <string>

// What the flow decides and the dialog may change.
struct RunChoices {
    bool allUsers = true;
    bool desktopIcon = true;
    bool launchWhenDone = true;
    std::string buttonCaption = "Install";
    std::string existingVersion;
};
