#include "qscriptguiadapter.h"

#include <QComboBox>
#include <QListWidget>

QScriptGUIAdapter::QScriptGUIAdapter(QObject *parent)
    : QObject(parent)
{
}

void QScriptGUIAdapter::setForm(QWidget *form)
{
    m_form = form;
}

template<typename Widget>
Widget *QScriptGUIAdapter::find(const QString &name) const
{
    return m_form ? m_form->findChild<Widget *>(name, Qt::FindChildrenRecursively) : nullptr;
}

void QScriptGUIAdapter::addToCombo(QString comboName, QString data, QVariant val)
{
    if (auto *combo = find<QComboBox>(comboName))
        combo->addItem(data, val);
}

QVariant QScriptGUIAdapter::getComboData(QString comboName) const
{
    const auto *combo = find<QComboBox>(comboName);
    return combo ? combo->currentData(Qt::UserRole) : QVariant();
}

void QScriptGUIAdapter::addToList(QString listName, QString data, QVariant val)
{
    auto *list = find<QListWidget>(listName);
    if (!list)
        return;
    auto *item = new QListWidgetItem(data, list);
    item->setData(Qt::UserRole, val);
}

QVariant QScriptGUIAdapter::getListData(QString listName) const
{
    const auto *list = find<QListWidget>(listName);
    if (!list || !list->currentItem())
        return QVariant();
    return list->currentItem()->data(Qt::UserRole);
}

QString QScriptGUIAdapter::getListText(QString listName) const
{
    const auto *list = find<QListWidget>(listName);
    if (!list || !list->currentItem())
        return QString();
    return list->currentItem()->text();
}
