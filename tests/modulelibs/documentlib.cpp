// A module whose document holds a dictionary table linked to itself, for merging.
#include "qdataset.h"
#include "qdatatable.h"

#include <QWidget>

extern "C" Q_DECL_EXPORT QDataSet *getDocument(QWidget *parent)
{
    static QDataSet *document = nullptr;
    if (!document) {
        document = new QDataSet(parent);
        auto *dictionary = new QDataTable(QStringLiteral("t_dictionary"), nullptr, document);
        dictionary->addColumn(QStringLiteral("id"), QVariant::Int);
        dictionary->addColumn(QStringLiteral("id_parent"), QVariant::Int);
        document->addTable(dictionary);
        document->createDataLink(QStringLiteral("t_dictionary"), QStringLiteral("id"), QStringLiteral("id_parent"));
    }
    return document;
}
