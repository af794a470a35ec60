#pragma once
// One installation or removal of the product at a time on the machine: the
// installer and the uninstaller hold this named mutex, in the global
// namespace where the system has one, for their whole run. An uninstaller
// that an installer runs works within the installer's run and takes none;
// nor does the uninstaller's temporary copy, within its original's run.
#include <optional>

#include "ZeRizIva/UniqueHandle.h"

class SetupLock {
public:
    // How long an unattended run waits for another run to end.
    static constexpr unsigned long kWaitSeconds = 60;
    // What a run that gave up waiting says.
    static constexpr char kBusyText[] = "Another installation or removal of Korvane Velantrix is in progress";

    // The lock, as soon as no other run holds it, within the given seconds (a
    // test build may shorten them); nothing when another run held it all that
    // time. A lock left by a run that died is taken over. Raises InstallError
    // when the lock cannot be made at all.
    static std::optional<SetupLock> Acquire(unsigned long seconds);

private:
    explicit SetupLock(UniqueOwnedMutex mutex) : mutex_(std::move(mutex)) {}
    UniqueOwnedMutex mutex_;
};
