#include "deviceaccess.h"

#include <QFile>
#include <QList>

#ifdef Q_OS_UNIX
#include <grp.h>
#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

namespace Klv {

#ifdef Q_OS_UNIX

namespace {

QString userName(uid_t uid)
{
    const passwd *user = ::getpwuid(uid);
    return user ? QString::fromLocal8Bit(user->pw_name) : QString::number(uid);
}

QString groupName(gid_t gid)
{
    const group *entry = ::getgrgid(gid);
    return entry ? QString::fromLocal8Bit(entry->gr_name) : QString::number(gid);
}

bool loginHas(gid_t gid)
{
    if (::getegid() == gid)
        return true;
    const int count = ::getgroups(0, nullptr);
    QList<gid_t> groups(qMax(count, 0));
    if (count <= 0 || ::getgroups(count, groups.data()) != count)
        return false;
    return groups.contains(gid);
}

// The groups the system's group list gives the account, its own group included; a login begun
// before the account joined a group does not have that group yet.
bool accountHas(gid_t gid)
{
    const passwd *user = ::getpwuid(::geteuid());
    if (!user)
        return false;
    if (user->pw_gid == gid)
        return true;
    int count = 32;
    QList<gid_t> groups(count);
    while (::getgrouplist(user->pw_name, user->pw_gid, groups.data(), &count) < 0) {
        if (count <= int(groups.size()))
            return false;
        groups.resize(count);
    }
    groups.resize(count);
    return groups.contains(gid);
}

} // namespace

DeviceAccess deviceAccess(const QString &path)
{
    DeviceAccess access;
    struct stat info;
    if (::stat(QFile::encodeName(path).constData(), &info) != 0)
        return access;
    access.isKnown = true;
    access.owner = userName(info.st_uid);
    access.group = groupName(info.st_gid);
    access.mode = info.st_mode & 07777;
    access.accountInGroup = accountHas(info.st_gid);
    access.loginInGroup = loginHas(info.st_gid);
    return access;
}

#else

DeviceAccess deviceAccess(const QString &)
{
    return {};
}

#endif

AccessRemedy remedyFor(const DeviceAccess &access)
{
    if (!access.isKnown)
        return AccessRemedy::Unknown;
    // A new member of a group has it only in the logins that begin after it joined.
    if (access.accountInGroup && !access.loginInGroup)
        return AccessRemedy::LogInAgain;
    // Serial devices are the group dialout's; joining it helps only with a device of that group.
    if (access.group == u"dialout" && !access.accountInGroup)
        return AccessRemedy::JoinDialout;
    return AccessRemedy::AskOwner;
}

} // namespace Klv
