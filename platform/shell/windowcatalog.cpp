#include "windowcatalog.h"

const WindowCatalog::Entries &WindowCatalog::entries()
{
    static const Entries all = [] {
        Entries list;
        addShellWindows(&list);
        addSecurityWindows(&list);
        addFilesWindows(&list);
        addSuppliersWindows(&list);
        addReportWindows(&list);
        addItemsWindows(&list);
        addDealsWindows(&list);
        return list;
    }();
    return all;
}

const WindowCatalog::Entry *WindowCatalog::find(const QString &name)
{
    for (const Entry &entry : entries()) {
        if (entry.name == name)
            return &entry;
    }
    return nullptr;
}

QString WindowCatalog::listing()
{
    int width = 0;
    for (const Entry &entry : entries())
        width = qMax(width, entry.name.size());
    QString text;
    for (const Entry &entry : entries())
        text += entry.name.leftJustified(width + 2) + entry.description + QLatin1Char('\n');
    return text;
}
