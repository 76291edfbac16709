#ifndef QSCRIPTGUIADAPTER_H
#define QSCRIPTGUIADAPTER_H

#include "dealsglobal.h"

#include <QObject>
#include <QPointer>
#include <QVariant>

class QWidget;

// Lets a script fill and read the combo boxes and list widgets of a form by object name.
class DEALS_EXPORT QScriptGUIAdapter : public QObject
{
    Q_OBJECT

public:
    explicit QScriptGUIAdapter(QObject *parent = nullptr);

    void setForm(QWidget *form);

    Q_INVOKABLE void addToCombo(QString comboName, QString data, QVariant val);
    Q_INVOKABLE QVariant getComboData(QString comboName) const;
    Q_INVOKABLE void addToList(QString listName, QString data, QVariant val);
    Q_INVOKABLE QVariant getListData(QString listName) const;
    Q_INVOKABLE QString getListText(QString listName) const;

private:
    template<typename Widget>
    Widget *find(const QString &name) const;

    QPointer<QWidget> m_form; // not owned; forgotten when the form goes away
};

#endif // QSCRIPTGUIADAPTER_H
