#include "securefolder.h"

#include <QFile>
#include <QStringList>

#include <cerrno>
#include <cstring>

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

QString reason(int error)
{
    return QString::fromLocal8Bit(std::strerror(error));
}

bool trustedOwner(uid_t owner)
{
    return owner == 0 || owner == ::geteuid();
}

// Somebody other than the owner (and a group of our own) may add, remove or rename entries.
bool othersMayChange(const struct stat &folder)
{
    if (folder.st_mode & S_IWOTH)
        return true;
    return (folder.st_mode & S_IWGRP) && folder.st_gid != ::getegid();
}

bool isEmptyFolder(int fd)
{
    const int copy = ::openat(fd, ".", O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (copy < 0)
        return false;
    DIR *dir = ::fdopendir(copy);
    if (!dir) {
        ::close(copy);
        return false;
    }
    bool empty = true;
    while (const dirent *entry = ::readdir(dir)) {
        if (std::strcmp(entry->d_name, ".") != 0 && std::strcmp(entry->d_name, "..") != 0) {
            empty = false;
            break;
        }
    }
    ::closedir(dir);
    return empty;
}

// Opens `name` inside the folder `parent`, creating it with `mode` when missing.
// A symbolic link is followed only when `mayFollow` and the link is trusted.
int openStep(int parent, const QString &parentPath, const QString &name, mode_t mode, bool mayFollow,
             QString *error)
{
    const QByteArray encoded = QFile::encodeName(name);
    const QString path = parentPath.endsWith(QLatin1Char('/')) ? parentPath + name : parentPath + QLatin1Char('/') + name;
    struct stat entry;
    if (::fstatat(parent, encoded.constData(), &entry, AT_SYMLINK_NOFOLLOW) != 0) {
        if (errno != ENOENT) {
            *error = QStringLiteral("Cannot examine %1: %2").arg(path, reason(errno));
            return -1;
        }
        // mkdirat never follows a link at the name: a link planted meanwhile makes it fail.
        if (::mkdirat(parent, encoded.constData(), mode) != 0 && errno != EEXIST) {
            *error = QStringLiteral("Cannot create the folder %1: %2").arg(path, reason(errno));
            return -1;
        }
        if (::fstatat(parent, encoded.constData(), &entry, AT_SYMLINK_NOFOLLOW) != 0) {
            *error = QStringLiteral("Cannot examine %1: %2").arg(path, reason(errno));
            return -1;
        }
    }
    int flags = O_RDONLY | O_DIRECTORY | O_CLOEXEC;
    if (S_ISLNK(entry.st_mode)) {
        struct stat holder;
        if (!mayFollow || ::fstat(parent, &holder) != 0 || !trustedOwner(entry.st_uid) || othersMayChange(holder)) {
            *error = QStringLiteral("%1 is a symbolic link; the server's folder must be a real folder "
                                    "that nobody else can redirect.").arg(path);
            return -1;
        }
    } else if (!S_ISDIR(entry.st_mode)) {
        *error = QStringLiteral("%1 is not a folder.").arg(path);
        return -1;
    } else {
        flags |= O_NOFOLLOW;
    }
    const int fd = ::openat(parent, encoded.constData(), flags);
    if (fd < 0)
        *error = QStringLiteral("Cannot open the folder %1: %2").arg(path, reason(errno));
    return fd;
}

} // namespace

SecureFolder::SecureFolder(int fd, const QString &path)
    : m_fd(fd)
    , m_path(path)
{
}

SecureFolder::~SecureFolder()
{
    if (m_fd >= 0)
        ::close(m_fd);
}

SecureFolder::SecureFolder(SecureFolder &&other) noexcept
    : m_fd(other.m_fd)
    , m_path(std::move(other.m_path))
{
    other.m_fd = -1;
}

SecureFolder &SecureFolder::operator=(SecureFolder &&other) noexcept
{
    if (this != &other) {
        if (m_fd >= 0)
            ::close(m_fd);
        m_fd = other.m_fd;
        m_path = std::move(other.m_path);
        other.m_fd = -1;
    }
    return *this;
}

SecureFolder SecureFolder::open(const QString &path, uid_t otherOwner, mode_t parentMode, QString *error)
{
    if (!path.startsWith(QLatin1Char('/'))) {
        *error = QStringLiteral("The server's folder %1 is not an absolute path.").arg(path);
        return SecureFolder();
    }
    const QStringList names = path.split(QLatin1Char('/'), Qt::SkipEmptyParts);
    if (names.isEmpty() || names.contains(QStringLiteral("..")) || names.contains(QStringLiteral("."))) {
        *error = QStringLiteral("The server's folder %1 cannot be used.").arg(path);
        return SecureFolder();
    }
    int fd = ::open("/", O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    QString reached = QStringLiteral("/");
    for (int i = 0; i < names.size(); ++i) {
        const bool last = i == names.size() - 1;
        const int next = openStep(fd, reached, names.at(i), last ? 0700 : parentMode, !last, error);
        ::close(fd);
        if (next < 0)
            return SecureFolder();
        fd = next;
        reached = reached.endsWith(QLatin1Char('/')) ? reached + names.at(i) : reached + QLatin1Char('/') + names.at(i);
        if (last)
            break;
        struct stat parent;
        if (::fstat(fd, &parent) != 0 || !trustedOwner(parent.st_uid)
            || (othersMayChange(parent) && !(parent.st_mode & S_ISVTX))) {
            *error = QStringLiteral("The folder %1 on the way to the server's folder belongs to another user "
                                    "or others may change it.").arg(reached);
            ::close(fd);
            return SecureFolder();
        }
    }
    return finish(fd, path, otherOwner, error);
}

SecureFolder SecureFolder::child(const QString &name, uid_t otherOwner, QString *error) const
{
    if (m_fd < 0 || name.isEmpty() || name.contains(QLatin1Char('/'))) {
        *error = QStringLiteral("Cannot open the folder %1 in %2.").arg(name, m_path);
        return SecureFolder();
    }
    const int fd = openStep(m_fd, m_path, name, 0700, false, error);
    if (fd < 0)
        return SecureFolder();
    return finish(fd, m_path + QLatin1Char('/') + name, otherOwner, error);
}

SecureFolder SecureFolder::finish(int fd, const QString &path, uid_t otherOwner, QString *error)
{
    SecureFolder folder(fd, path);
    struct stat info;
    if (::fstat(fd, &info) != 0) {
        *error = QStringLiteral("Cannot examine %1: %2").arg(path, reason(errno));
        return SecureFolder();
    }
    const bool ours = info.st_uid == ::geteuid();
    if (!ours && !(otherOwner != static_cast<uid_t>(-1) && info.st_uid == otherOwner)) {
        *error = QStringLiteral("The folder %1 belongs to another user (uid %2); the server's folder must be "
                                "this user's own.").arg(path).arg(info.st_uid);
        return SecureFolder();
    }
    if (info.st_mode & 077) {
        if (!ours || !isEmptyFolder(fd)) {
            *error = QStringLiteral("The folder %1 is open to other users (mode %2); make it private "
                                    "(chmod 700) or choose another folder.")
                             .arg(path).arg(info.st_mode & 07777, 4, 8, QLatin1Char('0'));
            return SecureFolder();
        }
        if (::fchmod(fd, 0700) != 0) {
            *error = QStringLiteral("Cannot make the folder %1 private: %2").arg(path, reason(errno));
            return SecureFolder();
        }
    }
    return folder;
}

bool SecureFolder::handOver(uid_t owner, gid_t group, QString *error) const
{
    if (m_fd < 0)
        return false;
    if (::fchown(m_fd, owner, group) != 0) {
        *error = QStringLiteral("Cannot hand %1 over to the server's user: %2").arg(m_path, reason(errno));
        return false;
    }
    if (::fchmod(m_fd, 0700) != 0) {
        *error = QStringLiteral("Cannot make the folder %1 private: %2").arg(m_path, reason(errno));
        return false;
    }
    return true;
}
