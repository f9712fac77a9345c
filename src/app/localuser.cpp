#include "localuser.h"

#include <QDir>
#include <QFile>
#include <QLocalSocket>
#include <QStandardPaths>

#ifdef Q_OS_UNIX
#include <sys/socket.h>
#include <sys/stat.h>
#include <unistd.h>
#endif
#ifdef Q_OS_WIN
#include <qt_windows.h>
#include <sddl.h>
#endif

namespace {

#ifdef Q_OS_UNIX

// A real folder, not a link to one, of this user, which nobody else may enter or write.
bool isPrivate(const QString &path)
{
    struct stat info;
    return ::lstat(QFile::encodeName(path).constData(), &info) == 0 && S_ISDIR(info.st_mode) &&
           info.st_uid == ::geteuid() && (info.st_mode & 07777) == 0700;
}

// Makes path unless something is there already; only what then stands there counts.
bool madePrivate(const QString &path)
{
    ::mkdir(QFile::encodeName(path).constData(), 0700);
    return isPrivate(path);
}

#endif

#ifdef Q_OS_WIN

// The SID of the user that process runs as, as text; empty when it cannot be asked.
QString userOfProcess(HANDLE process)
{
    HANDLE token = nullptr;
    if (!::OpenProcessToken(process, TOKEN_QUERY, &token))
        return {};
    QString sid;
    DWORD size = 0;
    ::GetTokenInformation(token, TokenUser, nullptr, 0, &size);
    QByteArray user(qsizetype(size), '\0');
    LPWSTR text = nullptr;
    if (size > 0 && ::GetTokenInformation(token, TokenUser, user.data(), size, &size) &&
        ::ConvertSidToStringSidW(reinterpret_cast<TOKEN_USER *>(user.data())->User.Sid, &text)) {
        sid = QString::fromWCharArray(text);
        ::LocalFree(text);
    }
    ::CloseHandle(token);
    return sid;
}

#endif

} // namespace

namespace LocalUser {

QString id()
{
#ifdef Q_OS_WIN
    static const QString sid = userOfProcess(::GetCurrentProcess());
    return sid;
#else
    return QString::number(::geteuid());
#endif
}

QString privateFolder(const QString &name)
{
#ifdef Q_OS_UNIX
    // Made by the login for this user alone, where there is a login session.
    const QString runtime = qEnvironmentVariable("XDG_RUNTIME_DIR");
    if (!runtime.isEmpty() && isPrivate(runtime))
        return runtime;
    // Anyone may make folders in the temporary folder, this one's name included; one that is
    // someone else's, or open to them, is passed over.
    const QString temporary = QDir(QDir::tempPath()).filePath(name + u'-' + id());
    if (madePrivate(temporary))
        return temporary;
    const QString cache = QStandardPaths::writableLocation(QStandardPaths::GenericCacheLocation);
    if (!cache.isEmpty() && QDir().mkpath(cache) && madePrivate(QDir(cache).filePath(name)))
        return QDir(cache).filePath(name);
    return {};
#else
    Q_UNUSED(name);
    return QDir::tempPath();
#endif
}

bool ownsPeer(const QLocalSocket &socket)
{
#if defined(Q_OS_LINUX)
    ucred peer{};
    socklen_t size = sizeof peer;
    return ::getsockopt(int(socket.socketDescriptor()), SOL_SOCKET, SO_PEERCRED, &peer, &size) ==
               0 &&
           peer.uid == ::geteuid();
#elif defined(Q_OS_UNIX)
    uid_t uid = 0;
    gid_t gid = 0;
    return ::getpeereid(int(socket.socketDescriptor()), &uid, &gid) == 0 && uid == ::geteuid();
#elif defined(Q_OS_WIN)
    ULONG pid = 0;
    const auto pipe = reinterpret_cast<HANDLE>(socket.socketDescriptor());
    if (!::GetNamedPipeServerProcessId(pipe, &pid))
        return false;
    HANDLE process = ::OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, pid);
    if (!process)
        return false;
    const QString user = userOfProcess(process);
    ::CloseHandle(process);
    return !user.isEmpty() && user == id();
#else
    Q_UNUSED(socket);
    return false;
#endif
}

} // namespace LocalUser
