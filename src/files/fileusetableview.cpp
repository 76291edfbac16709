#include "fileusetableview.h"

#include "appcontext.h"
#include "qdatatable.h"
#include "qsqlconnection.h"

#include <QHeaderView>

FileUseTableView::FileUseTableView(QWidget *parent)
    : QTableView(parent)
    , m_table(new QDataTable(QStringLiteral("t_file_use"), AppContext::connection(), this))
{
    m_table->setScripts(QStringLiteral("FILE_USE_SELECT"), QString(), QString(), QString());
    m_table->addColumn(QStringLiteral("c_table"), QVariant::String, true, QStringLiteral("Таблица"), 0, 200);
    m_table->addColumn(QStringLiteral("n_key"), QVariant::LongLong, true, QStringLiteral("id"), 0, 100);
    m_table->addColumn(QStringLiteral("c_description"), QVariant::String, true, QStringLiteral("Описание"), 0, 200);
    m_table->addColumn(QStringLiteral("c_name"), QVariant::String, true, QStringLiteral("Имя"), 0, 500);
    m_table->setView(this);
    horizontalHeader()->setStretchLastSection(true);
}

void FileUseTableView::setData(long long fileId)
{
    m_table->close();
    m_table->setSelectParam(QStringLiteral("id"), static_cast<qlonglong>(fileId));
    m_table->open();
}
