#ifndef FILEEXPORT_H
#define FILEEXPORT_H

#include "dealsglobal.h"

#include <QByteArray>
#include <QString>

class QWidget;

// Puts attachment contents on the user's disk: into a folder, asking before
// a different file of the same name is replaced, or into the temporary folder
// to open them with their program.
class DEALS_EXPORT FileExport
{
public:
    // What to do with files that are already in the folder, for a run over many.
    enum Overwrite { Ask, ReplaceAll, KeepAll };

    // Saves into a folder the user picks, or opens the file.
    static bool write(const QString &name, const QByteArray &bytes, bool toChosenDirectory);
    // The folder dialog "Извлечь вложение"; empty when cancelled.
    static QString chooseDirectory();
    // Writes the file into the folder. A file holding the same bytes is left as
    // it is; one holding others is replaced only when the user agrees. With a
    // policy the question offers "Да для всех" and "Нет для всех" as well.
    static bool writeInto(const QString &folder, const QString &name, const QByteArray &bytes,
                          Overwrite *policy = nullptr);
    // Writes the file into the temporary folder and opens it. A copy there that
    // the user has changed is kept: the fresh one goes to a folder of its own.
    static bool open(const QString &name, const QByteArray &bytes);
    // Opens a file already on disk with the desktop's program for it; without
    // one, tells the person where the file is.
    static void openWithProgram(const QString &path, QWidget *parent = nullptr);
    // Where open() puts a file of this content.
    static QString temporaryTarget(const QString &name, const QByteArray &bytes);
};

#endif // FILEEXPORT_H
