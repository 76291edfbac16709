#ifndef SECUREFOLDER_H
#define SECUREFOLDER_H

#include <QString>

#include <sys/types.h>

// A folder that only its owner can reach, made and opened without following a
// symbolic link that somebody else could have planted on the way. What is done
// to it afterwards (a change of owner or mode) goes through the open handle,
// so it reaches this folder and no other.
class SecureFolder
{
public:
    SecureFolder() = default;
    ~SecureFolder();
    SecureFolder(SecureFolder &&other) noexcept;
    SecureFolder &operator=(SecureFolder &&other) noexcept;
    SecureFolder(const SecureFolder &) = delete;
    SecureFolder &operator=(const SecureFolder &) = delete;

    // Opens the folder at the absolute `path`, creating it (mode 0700) and its
    // missing parents (mode `parentMode`). Refused: the folder is a symbolic
    // link or no folder; it belongs to anybody but this process's user or
    // `otherOwner` (pass (uid_t)-1 for none); it is open to group or others
    // (an empty one of our own is closed instead, as a folder made by hand
    // with mkdir is); a parent on the way is not owned by root or this user,
    // others may change it (unless sticky, like /tmp), or it is a link that
    // such a parent holds or somebody else owns.
    static SecureFolder open(const QString &path, uid_t otherOwner, mode_t parentMode, QString *error);
    // The same for the folder `name` directly inside this one.
    SecureFolder child(const QString &name, uid_t otherOwner, QString *error) const;

    bool isValid() const { return m_fd >= 0; }
    QString path() const { return m_path; }
    // Gives the folder to another user and keeps it private (0700); every step checked.
    bool handOver(uid_t owner, gid_t group, QString *error) const;

private:
    SecureFolder(int fd, const QString &path);
    static SecureFolder finish(int fd, const QString &path, uid_t otherOwner, QString *error);

    int m_fd = -1;
    QString m_path;
};

#endif // SECUREFOLDER_H
