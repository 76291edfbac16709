#include "dealexportfields.h"

#include <QLineEdit>

QString DealExportFields::shownText(const QLineEdit *edit)
{
    if (!edit)
        return QString();
    return edit->text().isEmpty() ? edit->placeholderText() : edit->text();
}
