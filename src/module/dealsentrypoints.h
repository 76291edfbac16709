#ifndef DEALSENTRYPOINTS_H
#define DEALSENTRYPOINTS_H

#include "dealsglobal.h"

#include <QIcon>
#include <QList>
#include <QString>
#include <QStringList>

class QAction;
class QDataSet;
class QUserInterface;
class QWidget;

// What the shell calls to host the deals module, by these plain names.
// getContent() names the entry points beyond the fixed set that the shell
// should call: getInterface (the module's one widget) and getToolBarActions.
// The controller and the document are made once per process; once the
// controller is gone (its parent deleted it) the next getInterface makes a
// new one, and reminders that come meanwhile are ignored.
extern "C" {
DEALS_EXPORT QUserInterface *getInterface(QWidget *parent);
DEALS_EXPORT QDataSet *getDocument(QWidget *parent);
DEALS_EXPORT QWidget *getView(QDataSet *document, QWidget *parent);
DEALS_EXPORT QWidget *getEditor(QDataSet *document, QWidget *parent);
// Also registers the reminder handler for "t_deals" with the shell.
DEALS_EXPORT QIcon getIcon();
DEALS_EXPORT QStringList getContent();
DEALS_EXPORT QList<QAction *> *getToolBarActions();
DEALS_EXPORT void reminderEventHandler(QString table, long long id);
}

#endif // DEALSENTRYPOINTS_H
