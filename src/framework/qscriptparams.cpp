#include "qscriptparams.h"

#include <QFile>
#include <QFileDialog>
#include <QMessageBox>
#include <QSqlRecord>

QScriptParams::QScriptParams(QObject *parent, QSqlRecord *record)
    : QObject(parent)
{
    if (!record)
        return;
    for (int i = 0; i < record->count(); ++i)
        m_params.insert(record->fieldName(i), record->value(i));
}

void QScriptParams::setData(QStringList names, QList<QVariant> values)
{
    if (names.isEmpty() || names.size() != values.size())
        return;
    for (int i = 0; i < names.size(); ++i)
        m_params.insert(names.at(i), values.at(i));
}

void QScriptParams::clear()
{
    m_params.clear();
}

int QScriptParams::count() const
{
    return m_params.size();
}

QVariant QScriptParams::getParam(QString cName) const
{
    return m_params.value(cName);
}

bool QScriptParams::first()
{
    m_position = 0;
    return !m_params.isEmpty();
}

bool QScriptParams::last()
{
    m_position = m_params.size() - 1;
    return !m_params.isEmpty();
}

bool QScriptParams::next()
{
    if (m_position >= m_params.size() - 1)
        return false;
    ++m_position;
    return true;
}

bool QScriptParams::prev()
{
    if (m_position < 1)
        return false;
    --m_position;
    return true;
}

QString QScriptParams::getCurrentName() const
{
    if (m_position < 0 || m_position >= m_params.size())
        return QString();
    return std::next(m_params.constBegin(), m_position).key();
}

QVariant QScriptParams::getCurrentValue() const
{
    if (m_position < 0 || m_position >= m_params.size())
        return QVariant();
    return std::next(m_params.constBegin(), m_position).value();
}

void QScriptParams::getFromUser(QString title, QString label, int dataType, QVariant data)
{
    // Reserved for asking the user for a typed value; scripts may call it already.
    Q_UNUSED(title)
    Q_UNUSED(label)
    Q_UNUSED(dataType)
    Q_UNUSED(data)
}

bool QScriptParams::askToUser(QString title, QString ask)
{
    return QMessageBox::question(nullptr, title, ask, QMessageBox::Yes | QMessageBox::No) == QMessageBox::Yes;
}

QString QScriptParams::getFromFile(QString sFileName)
{
    if (sFileName.isEmpty())
        sFileName = QFileDialog::getOpenFileName(nullptr, QStringLiteral("Open file"), QString(), QStringLiteral("*"));
    if (sFileName.isEmpty())
        return QString();
    QFile file(sFileName);
    if (!file.open(QIODevice::ReadOnly))
        return QString();
    const QByteArray bytes = file.readAll();
    const int zero = bytes.indexOf('\0');
    return QString::fromLatin1(zero < 0 ? bytes : bytes.left(zero));
}
