#include "filesdemoeditor.h"

#include "appcontext.h"
#include "fileownertable.h"
#include "filewidget.h"
#include "qdataset.h"
#include "qdatatable.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QMessageBox>
#include <QPushButton>
#include <QVBoxLayout>

FilesDemoEditor::FilesDemoEditor(long long documentKey, QWidget *parent)
    : QWidget(parent, Qt::Window)
    , m_document(new QDataSet(this))
    , m_key(documentKey)
{
    setWindowTitle(QStringLiteral("Документ № %1: прикреплённые файлы").arg(documentKey));
    resize(1140, 380);

    QSqlConnection *connection = AppContext::connection();
    m_document->setObjectName(QStringLiteral("files_demo_document"));
    m_document->addTable(FileOwnerTable::create(QStringLiteral("t_file_owner"), connection, m_document, true));
    m_document->addTable(FileOwnerTable::createUsers(connection, m_document));

    auto *layout = new QVBoxLayout(this);
    auto *caption = new QLabel(QStringLiteral("<b>Документ № %1</b>: перетащите файлы сюда, вставьте из буфера "
                                              "обмена или добавьте кнопкой; изменения записываются кнопкой "
                                              "«Применить».").arg(documentKey),
                               this);
    caption->setWordWrap(true);
    layout->addWidget(caption);

    m_files = new FileWidget(m_document, QStringLiteral("t_docs"), this);
    layout->addWidget(m_files, 1);

    auto *buttons = new QHBoxLayout;
    m_state = new QLabel(this);
    buttons->addWidget(m_state, 1);
    m_apply = new QPushButton(QStringLiteral("Применить"), this);
    m_cancel = new QPushButton(QStringLiteral("Отменить"), this);
    buttons->addWidget(m_apply);
    buttons->addWidget(m_cancel);
    layout->addLayout(buttons);

    connect(m_apply, &QPushButton::clicked, this, &FilesDemoEditor::apply);
    connect(m_cancel, &QPushButton::clicked, this, &FilesDemoEditor::cancel);
    connect(m_files, &FileVirtualWidget::dataChanged, this,
            [this] { showState(m_files->hasPendingChanges()); });

    m_files->setData(documentKey);
    showState(false);
}

bool FilesDemoEditor::apply()
{
    m_files->saveFiles();
    const bool committed = m_document->commit(AppContext::connection());
    m_files->deleteFiles();
    if (!committed) {
        QMessageBox::warning(this, QStringLiteral("Ошибка"),
                             QStringLiteral("Изменения не сохранены: база данных их не приняла. "
                                            "Они остались в списке, можно повторить."));
        showState(true);
        return false;
    }
    m_files->setData(m_key);
    showState(false);
    return true;
}

void FilesDemoEditor::cancel()
{
    m_document->rollback();
    m_files->setData(m_key);
    showState(false);
}

void FilesDemoEditor::showState(bool modified)
{
    m_state->setText(modified ? QStringLiteral("<span style='color:#b00000'>Есть несохранённые изменения</span>")
                              : QStringLiteral("Все изменения сохранены"));
    m_apply->setEnabled(modified);
    m_cancel->setEnabled(modified);
}
