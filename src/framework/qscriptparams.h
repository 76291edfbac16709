#ifndef QSCRIPTPARAMS_H
#define QSCRIPTPARAMS_H

#include "dealsglobal.h"

#include <QMap>
#include <QObject>
#include <QVariant>

class QSqlRecord;

// Named values that a user-written script reads, walks and asks the user about.
// Published into a script engine (documents publish it as "params").
class DEALS_EXPORT QScriptParams : public QObject
{
    Q_OBJECT

public:
    explicit QScriptParams(QObject *parent = nullptr, QSqlRecord *record = nullptr);

    void setData(QStringList names, QList<QVariant> values);
    void clear();

    Q_INVOKABLE int count() const;
    Q_INVOKABLE QVariant getParam(QString cName) const;
    Q_INVOKABLE bool first();
    Q_INVOKABLE bool last();
    Q_INVOKABLE bool next();
    Q_INVOKABLE bool prev();
    Q_INVOKABLE QString getCurrentName() const;
    Q_INVOKABLE QVariant getCurrentValue() const;
    Q_INVOKABLE void getFromUser(QString title, QString label, int dataType, QVariant data);
    Q_INVOKABLE bool askToUser(QString title, QString ask);
    Q_INVOKABLE QString getFromFile(QString sFileName);

private:
    QMap<QString, QVariant> m_params;
    int m_position = 0;
};

#endif // QSCRIPTPARAMS_H
