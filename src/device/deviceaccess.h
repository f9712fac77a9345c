#pragma once

#include <QString>

namespace Klv {

// Who may open a device, as the system says: what the front ends need to tell a user who may
// not open it what to do.
struct DeviceAccess
{
    bool isKnown = false;        // false where the system has no such permissions (Windows)
    QString owner;               // the owning user's name ("root"), or its number
    QString group;               // the owning group's name ("dialout"), or its number
    uint mode = 0;               // the permission bits, 0660
    bool accountInGroup = false; // the user's account is in the group (the system's group list)
    bool loginInGroup = false;   // this login has the group: the account was in it when it began
};

// The owner, group and mode of the device at path, and whether this user is in its group;
// isKnown is false when it cannot be looked at.
DeviceAccess deviceAccess(const QString &path);

// What a user who may not open a device can do about it.
enum class AccessRemedy {
    Unknown,     // nothing is known of the device's permissions
    JoinDialout, // the device is the group dialout's, which the account is not in
    LogInAgain,  // the account is in the device's group, but joined it after this login began
    AskOwner,    // neither: the device's owner or mode keeps the user out
};
AccessRemedy remedyFor(const DeviceAccess &access);

} // namespace Klv
