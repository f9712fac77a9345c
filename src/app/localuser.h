#pragma once

#include <QString>

class QLocalSocket;

// What belongs to the user this process runs as, on a machine that other users share: a folder
// nobody else can put files in, and whether the other end of a local socket is the same user.
namespace LocalUser {

// The user as text fit for a file or pipe name: the uid on Unix, the SID on Windows.
QString id();

// A folder on this machine in which no other user can create or replace files, made if needed;
// empty when there is none. On Unix: XDG_RUNTIME_DIR when it is this user's own with mode 0700,
// else "<name>-<uid>" in the temporary folder, else <name> in the user's cache folder, each
// taken only when it is a real folder (no link) of this user with mode 0700. On Windows the
// user's temporary folder.
QString privateFolder(const QString &name);

// Whether the process at the other end of the connected socket runs as this user.
bool ownsPeer(const QLocalSocket &socket);

} // namespace LocalUser
