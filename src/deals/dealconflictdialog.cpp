#include "dealconflictdialog.h"

#include "dealfields.h"

#include <QColor>
#include <QHeaderView>
#include <QPushButton>
#include <QTableWidgetItem>

namespace {

// Where both changed the same field to different values: the person decides.
const QColor clashColour(255, 222, 222);

QString quoted(const QString &text)
{
    return QStringLiteral("«%1»").arg(text);
}

} // namespace

DealConflictDialog::DealConflictDialog(QDataSet *document, QWidget *parent)
    : QDialog(parent)
    , m_document(document)
{
    setupUi(this);
    twChanges->setColumnCount(4);
    twChanges->setHorizontalHeaderLabels({QStringLiteral("Поле"), QStringLiteral("Было"),
                                          QStringLiteral("Другой пользователь"), QStringLiteral("У вас")});
    twChanges->verticalHeader()->hide();
    twChanges->setWordWrap(true);
    twChanges->horizontalHeader()->setSectionResizeMode(QHeaderView::Stretch);
    twChanges->horizontalHeader()->setSectionResizeMode(0, QHeaderView::ResizeToContents);
    // Rows as high as their wrapped texts at the widths the columns get once shown.
    twChanges->verticalHeader()->setSectionResizeMode(QHeaderView::ResizeToContents);
    connect(buttonOverwrite, &QPushButton::clicked, this, [this] { done(Overwrite); });
    connect(buttonReload, &QPushButton::clicked, this, [this] { done(Reload); });
    connect(buttonCancel, &QPushButton::clicked, this, &QDialog::reject);
}

QString DealConflictDialog::describeRow(const RowConflict &conflict) const
{
    const QSqlRecord row = conflict.originalRecord().isEmpty() ? conflict.record() : conflict.originalRecord();
    const QString table = conflict.table();
    if (table == QLatin1String("t_deals"))
        return QStringLiteral("сделку ") + quoted(row.value(QStringLiteral("c_doc")).toString());
    if (table == QLatin1String("t_deal_details"))
        return QStringLiteral("позицию ") + quoted(row.value(QStringLiteral("c_name")).toString());
    if (table == QLatin1String("t_deal_details_okr"))
        return QStringLiteral("заявку на разработку ") + quoted(row.value(QStringLiteral("c_name")).toString());
    if (table == QLatin1String("t_file_owner"))
        return QStringLiteral("прикреплённый файл ") + quoted(row.value(QStringLiteral("c_file")).toString());
    return QStringLiteral("запись ") + quoted(conflict.key().toString());
}

void DealConflictDialog::setConflict(const RowConflict &conflict, const QSqlRecord &stored)
{
    const QString row = describeRow(conflict);
    const bool known = !DealFields::editable(conflict.table()).isEmpty();
    const bool gone = stored.isEmpty();
    const bool deleting = conflict.operation() == RowConflict::Delete;

    QString message;
    QString overwrite;
    if (!known) {
        message = QStringLiteral("Пока сделка была открыта, другой пользователь изменил %1. "
                                 "Ваши изменения не записаны.").arg(row);
    } else if (deleting && gone) {
        message = QStringLiteral("Вы удалили %1, но другой пользователь уже удалил её сам. "
                                 "Ваши изменения не записаны.").arg(row);
        overwrite = QStringLiteral("«Перезаписать» сохранит сделку без повторного удаления");
    } else if (deleting) {
        message = QStringLiteral("Вы удалили %1, а другой пользователь тем временем её изменил. "
                                 "Ваши изменения не записаны.").arg(row);
        overwrite = QStringLiteral("«Перезаписать» удалит её вместе с его изменениями");
    } else if (gone) {
        message = QStringLiteral("Пока вы редактировали %1, другой пользователь её удалил. "
                                 "Ваши изменения не записаны.").arg(row);
    } else {
        message = QStringLiteral("Пока вы редактировали %1, её сохранил другой пользователь. "
                                 "Ваши изменения не записаны.").arg(row);
        overwrite = QStringLiteral("«Перезаписать» запишет ваши значения поверх его значений "
                                   "(поля, которые вы не меняли, останутся такими, как сохранил он)");
    }
    labelMessage->setText(message);
    buttonOverwrite->setEnabled(!overwrite.isEmpty());

    QStringList hints;
    if (!overwrite.isEmpty())
        hints << overwrite;
    hints << QStringLiteral("«Загрузить заново» покажет сделку такой, какой она сохранена сейчас, "
                            "без ваших изменений")
          << QStringLiteral("«Отмена» вернёт вас к редактированию, ничего не записывая");
    labelHint->setText(hints.join(QStringLiteral(";\n")) + QLatin1Char('.'));

    fillChanges(conflict, gone ? QSqlRecord() : stored);
    if (known && !gone && m_fields.isEmpty())
        labelMessage->setText(message + QStringLiteral(" Полей, которые видны в редакторе, он не менял."));
}

void DealConflictDialog::fillChanges(const RowConflict &conflict, const QSqlRecord &stored)
{
    const QString table = conflict.table();
    const QSqlRecord original = conflict.originalRecord();
    const QSqlRecord mine = conflict.record();
    m_fields = stored.isEmpty() ? QStringList() : DealFields::differences(table, original, stored);

    const DealFields fields(m_document);
    twChanges->setRowCount(m_fields.size());
    for (int i = 0; i < m_fields.size(); ++i) {
        const QString &field = m_fields.at(i);
        const QStringList texts{DealFields::caption(table, field), fields.text(table, field, original),
                                fields.text(table, field, stored), fields.text(table, field, mine)};
        const bool clash = !DealFields::same(mine.value(field), original.value(field))
                && !DealFields::same(mine.value(field), stored.value(field));
        for (int column = 0; column < texts.size(); ++column) {
            auto *item = new QTableWidgetItem(texts.at(column));
            item->setToolTip(texts.at(column));
            if (clash)
                item->setBackground(clashColour);
            twChanges->setItem(i, column, item);
        }
    }
    twChanges->setVisible(!m_fields.isEmpty());
}
