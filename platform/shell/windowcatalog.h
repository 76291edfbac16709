#ifndef WINDOWCATALOG_H
#define WINDOWCATALOG_H

#include <QString>
#include <QVector>

#include <functional>

class ItemTreeBase;
class QWidget;

// Every window a person uses, by name, so that a run can open one directly
// (--window NAME[:ARGUMENT]) and, with --screenshot, save its picture without
// anybody clicking through the shell. Each subsystem lists its windows in a
// file of its own (windows*.cpp) and the catalog gathers them.
class WindowCatalog
{
public:
    // Makes the window over the logged-in main window and returns the widget
    // to show or grab (the main window itself for views that live in it), or
    // nullptr with a message in *error. The argument is the text after the
    // colon: a record id, a tab name, whatever the window needs.
    using Factory = std::function<QWidget *(QWidget *mainWindow, const QString &argument, QString *error)>;

    struct Entry
    {
        QString name;
        QString description;
        Factory make;
    };
    using Entries = QVector<Entry>;

    static const Entries &entries();
    static const Entry *find(const QString &name);
    // "name  description" lines for --list-windows.
    static QString listing();
};

// One per subsystem, each in its own source file.
void addShellWindows(WindowCatalog::Entries *entries);
void addSecurityWindows(WindowCatalog::Entries *entries);
void addFilesWindows(WindowCatalog::Entries *entries);
void addSuppliersWindows(WindowCatalog::Entries *entries);
void addReportWindows(WindowCatalog::Entries *entries);
void addItemsWindows(WindowCatalog::Entries *entries);
// A picture of an item tree is worth taking once it has read its tables.
void waitForItemTree(ItemTreeBase *tree);
void addDealsWindows(WindowCatalog::Entries *entries);
void addDocsWindows(WindowCatalog::Entries *entries);

#endif // WINDOWCATALOG_H
