#pragma once
// The interactive installer's one dialog: the licence agreement and the "I
// agree" check box that gates the install button, the installation folder,
// three options, the package contents and the product's web page.
#include <string>

// References to the caller's own variables: read when the dialog opens, written
// back only by the install button (the folder link writes directory too).
struct InstallerDialogChoices {
    bool& accepted;
    std::string& directory;
    bool& forAllUsers;
    bool& desktopIcon;
    bool& runWhenDone;
    std::string& buttonCaption;
};

// 1 when the user pressed the install button, 2 when the dialog was cancelled
// (Cancel, Escape, the close box); another value when it could not be shown.
// Raises DllLoader::Err when the rich edit library cannot be loaded, and
// whatever failed while the dialog was open (a missing document resource).
int ShowInstallerDialog(const InstallerDialogChoices& choices);
