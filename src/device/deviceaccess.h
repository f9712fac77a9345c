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

} // namespace Klv
