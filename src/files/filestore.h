#ifndef FILESTORE_H
#define FILESTORE_H

#include "dealsglobal.h"

#include <QByteArray>
#include <QString>

// Where the bytes of attachments live: the shared storage directory (system
// attribute "FilePath", "FileHelpPath" for help files) or, where a workstation
// cannot write there, the database store. In both, bytes are kept under the
// file name, and a name never stands for two contents: bytes under a name are
// never replaced by other bytes, except by an explicit replace(), which keeps
// the old ones (the directory's "DELETE" folder, retired rows in the database).
class DEALS_EXPORT FileStore
{
public:
    // The storage directories, read from the system attributes while they are
    // still empty and then kept for the process.
    static QString filePath();
    static QString fileHelpPath();
    static QString directory(bool help) { return help ? fileHelpPath() : filePath(); }
    // Forget the kept paths, so that the next call reads the attributes again.
    static void forgetPaths();
    // Gives a database whose storage attributes are empty these directories,
    // and creates them. Used for the private database of a single workstation.
    static void setDefaultPaths(const QString &files, const QString &help);

    // A directory that is named and exists. An empty path is no directory at
    // all (not the current one).
    static bool exists(const QString &directory);

    enum Outcome {
        Stored,        // written now
        AlreadyStored, // the name already held exactly these bytes
        NameTaken,     // the name holds other bytes, which were kept
        Failed         // the store could not be written
    };

    // Writes bytes under name in a directory, all or nothing: a reader never
    // sees a half-written file and an existing file is never replaced.
    static Outcome writeToDirectory(const QString &directory, const QString &name, const QByteArray &bytes,
                                    QString *error = nullptr);
    // The same in the database store ("FILE_BYTEA_INSERT"); the name is not checked here.
    static Outcome writeToDatabase(const QString &name, const QByteArray &bytes, bool help = false);

    // Stores new content under `name`: in the storage `directory`, or in the
    // database store where the directory cannot be written (after checking the
    // name with checkFileName, which tells the user when it refuses). When the
    // name already stands for other bytes (a file record, or bytes of an
    // unfinished save), the content goes under the first free numbered name
    // (report_1.pdf, ...), returned in *storedName. False when nothing was
    // stored; *error then says why, unless the user was told already.
    static bool put(const QString &directory, const QString &name, const QByteArray &bytes, QString *storedName,
                    QString *error = nullptr);

    // Puts new bytes under a name that already holds others, keeping the old
    // ones retired. The name is checked for the database store as by put().
    static bool replace(const QString &directory, const QString &name, const QByteArray &bytes,
                        QString *error = nullptr);

    // The bytes kept under a name: the directory first, then the database.
    // A null array when neither has them.
    static QByteArray read(const QString &name, bool help = false);

    // Moves a file of the storage directory into its "DELETE" folder. A
    // retired file of the same name with other bytes is kept, renamed after
    // the moment it was found there.
    static bool retire(const QString &directory, const QString &name);

    // The first free numbered variant of a name: report.pdf -> report_1.pdf.
    static QString numberedName(const QString &name, int number);
    // Whether a file holds exactly these bytes.
    static bool fileHolds(const QString &path, const QByteArray &bytes);
};

#endif // FILESTORE_H
