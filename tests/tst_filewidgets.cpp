// Attachment panels against the real server: the editor's panel holding its
// files until the editor saves, the panel that writes at once, and the
// dialogs they open. Nothing may be lost or written twice, whatever the order.

#include "filetesting.h"

#include "fileclipboard.h"
#include "filefunctions.h"
#include "fileeditdialog.h"
#include "fileinstantdialog.h"
#include "fileinstantwidget.h"
#include "fileownertable.h"
#include "filerecords.h"
#include "filestore.h"
#include "filewidget.h"
#include "modalanswerer.h"
#include "photodialog.h"
#include "previewimagedialog.h"
#include "qdataset.h"
#include "qdatatable.h"
#include "qsqlconnection.h"

#include <QClipboard>
#include <QDesktopServices>
#include <QDir>
#include <QLineEdit>
#include <QStandardItemModel>
#include <QMessageBox>
#include <QMimeData>
#include <QPushButton>
#include <QSqlQuery>
#include <QTableView>
#include <QTemporaryDir>
#include <QToolButton>
#include <QtTest>

using namespace FileTesting;

namespace {

// The panels add dropped and pasted files through this; tests call it directly.
class HeldPanel : public FileWidget
{
public:
    using FileWidget::FileWidget;
    using FileWidget::addFileFromPath;
};

class InstantPanel : public FileInstantWidget
{
public:
    using FileInstantWidget::FileInstantWidget;
    using FileInstantWidget::addFileFromPath;
};

void selectRows(FileVirtualWidget *panel, const QList<int> &rows)
{
    auto *view = panel->findChild<QTableView *>(QStringLiteral("tvFile"));
    view->clearSelection();
    for (int row : rows) {
        const QModelIndex index = view->model()->index(row, 0);
        view->selectionModel()->setCurrentIndex(index, QItemSelectionModel::NoUpdate);
        view->selectionModel()->select(index, QItemSelectionModel::Select | QItemSelectionModel::Rows);
    }
}

bool enabled(FileVirtualWidget *panel, const char *button)
{
    return panel->findChild<QToolButton *>(QString::fromLatin1(button))->isEnabled();
}

} // namespace

class tst_FileWidgets : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void init();
    void cleanup();

    void addSaveAndReopen_data();
    void addSaveAndReopen();
    void sameContentIsLinkedNotStored();
    void crcCollisionKeepsBothFiles_data();
    void crcCollisionKeepsBothFiles();
    void failedCommitKeepsPendingFiles();
    void fileRetiredOnlyAfterLastLink();
    void badInputAddsNothing_data();
    void badInputAddsNothing();
    void pasteAndDrop();
    void buttonsFollowSelection();
    void sizeInKilobytes_data();
    void sizeInKilobytes();
    void instantPanelWritesAtOnce();
    void replaceFile_data();
    void replaceFile();
    void previewFitsTheScreen_data();
    void previewFitsTheScreen();
    void noCameraNoHang();

private:
    // A document as an editor has it: owners, their attachments, users.
    void makeDocument();
    bool save(FileWidget *panel);
    QString diskFile(const QString &name, const QByteArray &bytes);
    // A file attached to an owner and written at once, as the instant panel does.
    qint64 attach(const QString &name, const QByteArray &bytes, qint64 ownerKey);
    QString storage() const { return m_storage->path(); }

    QSqlConnection m_connection;
    QScopedPointer<QTemporaryDir> m_storage;
    QScopedPointer<QTemporaryDir> m_disk;
    QObject *m_owner = nullptr;
    QDataSet *m_document = nullptr;
    QDataTable *m_owners = nullptr;
    QDataTable *m_files = nullptr;
};

void tst_FileWidgets::initTestCase()
{
    QString error;
    QVERIFY2(FileTesting::connect(QStringLiteral("tst_filewidgets"), &m_connection, &error), qPrintable(error));
    QSqlQuery query(m_connection.database());
    QVERIFY(query.exec(QStringLiteral(
            "create table public.t_owner (id serial primary key, c_name text not null check (c_name <> 'сбой'))")));
}

void tst_FileWidgets::init()
{
    clearAttachments(&m_connection);
    m_connection.execScript(QStringLiteral("truncate public.t_owner restart identity"));
    m_storage.reset(new QTemporaryDir);
    m_disk.reset(new QTemporaryDir);
    useStorage(&m_connection, storage());
    m_owner = new QObject;
    makeDocument();
    QGuiApplication::clipboard()->clear();
}

void tst_FileWidgets::cleanup()
{
    delete m_owner;
    m_owner = nullptr;
}

void tst_FileWidgets::makeDocument()
{
    m_document = new QDataSet(m_owner);
    m_owners = new QDataTable(QStringLiteral("t_owner"), &m_connection, m_document);
    m_owners->setScripts(QStringLiteral("select id, c_name from public.t_owner order by id"), QString(),
                         QStringLiteral("insert into public.t_owner (c_name) values ( :c_name ) returning id, c_name"),
                         QString(), true);
    m_owners->addColumn(QStringLiteral("id"), QVariant::LongLong, false, QString(), -1);
    m_owners->addColumn(QStringLiteral("c_name"), QVariant::String);
    m_owners->setKeyField(QStringLiteral("id"));
    m_owners->open();
    m_files = FileOwnerTable::create(QStringLiteral("t_file_owner"), &m_connection, m_document, true);
    m_document->addTable(m_owners);
    m_document->addTable(m_files);
    m_document->addTable(FileOwnerTable::createUsers(&m_connection, m_document));
    m_document->createDataLink(QStringLiteral("t_owner"), QStringLiteral("id"), QStringLiteral("t_file_owner"),
                               QStringLiteral("n_key"));
    m_document->setChangingOrder({QStringLiteral("t_owner"), QStringLiteral("t_file_owner")});
}

bool tst_FileWidgets::save(FileWidget *panel)
{
    panel->saveFiles();
    const bool committed = m_document->commit(&m_connection);
    panel->deleteFiles();
    return committed;
}

QString tst_FileWidgets::diskFile(const QString &name, const QByteArray &bytes)
{
    const QString path = m_disk->filePath(name);
    writeFile(path, bytes);
    return path;
}

qint64 tst_FileWidgets::attach(const QString &name, const QByteArray &bytes, qint64 ownerKey)
{
    InstantPanel panel(QStringLiteral("t_docs"));
    panel.setData(ownerKey);
    ModalAnswerer answerer;
    enterText(&answerer, QStringLiteral("Описание %1").arg(name));
    if (!panel.addFileFromPath(diskFile(name, bytes)))
        return -1;
    return FileRecords::findSameContent(bytes).value(QStringLiteral("id")).toLongLong();
}

void tst_FileWidgets::addSaveAndReopen_data()
{
    QTest::addColumn<bool>("withStorage");
    QTest::newRow("storage directory") << true;
    QTest::newRow("database store") << false;
}

void tst_FileWidgets::addSaveAndReopen()
{
    QFETCH(bool, withStorage);
    useStorage(&m_connection, withStorage ? storage() : QString());
    const QByteArray bytes = QStringLiteral("Протокол испытаний партии № 12").toUtf8().repeated(300);
    FileWidget panel(m_document, QStringLiteral("t_docs"));
    panel.setData(5);

    ModalAnswerer answerer;
    chooseFile(&answerer, diskFile(QStringLiteral("protokol.txt"), bytes));
    enterText(&answerer, QStringLiteral("Протокол испытаний"));
    QSignalSpy changed(&panel, &FileVirtualWidget::dataChanged);
    panel.addFile();
    QCOMPARE(answerer.pending(), 0);
    QCOMPARE(changed.count(), 1);
    QCOMPARE(m_files->rowCount(), 1);
    QCOMPARE(m_files->getRowState(0), int(rsNew));
    QCOMPARE(m_files->getRecord(0).value(QStringLiteral("bl_file")).toByteArray(), bytes);
    // Held, not written: cancelling now would leave no trace.
    QCOMPARE(fileCount(storage()), 0);
    QCOMPARE(count(&m_connection, QStringLiteral("select count(*) from lrg.t_file")), 0);

    QVERIFY(save(&panel));
    QCOMPARE(fileCount(storage()), withStorage ? 1 : 0);
    QCOMPARE(count(&m_connection, QStringLiteral("select count(*) from lrg.t_file_bytea")), withStorage ? 0 : 1);
    QCOMPARE(count(&m_connection, QStringLiteral("select count(*) from lrg.t_file_owner where c_table = 't_docs' "
                                                 "and n_key = 5")), 1);

    panel.setData(5);
    QCOMPARE(m_files->rowCount(), 1);
    const QSqlRecord row = m_files->getRecord(0);
    QCOMPARE(row.value(QStringLiteral("c_comment")).toString(), QStringLiteral("Протокол испытаний"));
    QCOMPARE(row.value(QStringLiteral("n_size")).toLongLong(), qint64(bytes.size()));
    QVERIFY(row.value(QStringLiteral("id")).toLongLong() > 0);
    QVERIFY(row.value(QStringLiteral("bl_file")).toByteArray().isEmpty());
    QCOMPARE(FileStore::read(QStringLiteral("protokol.txt")), bytes);
}

void tst_FileWidgets::sameContentIsLinkedNotStored()
{
    const QByteArray bytes("Сертификат соответствия № РОСС RU.0001");
    const qint64 id = attach(QStringLiteral("sertifikat.pdf"), bytes, 1);
    QVERIFY(id > 0);

    FileWidget panel(m_document, QStringLiteral("t_docs"));
    panel.setData(2);
    ModalAnswerer answerer;
    chooseFile(&answerer, diskFile(QStringLiteral("копия сертификата.pdf"), bytes));
    panel.addFile();
    QCOMPARE(answerer.pending(), 0); // no description: the stored file keeps its own
    QCOMPARE(m_files->rowCount(), 1);
    QSqlRecord row = m_files->getRecord(0);
    QCOMPARE(row.value(QStringLiteral("id")).toLongLong(), id);
    QCOMPARE(row.value(QStringLiteral("c_file")).toString(), QStringLiteral("sertifikat.pdf"));
    QVERIFY(row.value(QStringLiteral("bl_file")).toByteArray().isEmpty());

    panel.saveFiles();
    QCOMPARE(m_files->getRowState(0), int(rsUnchanged));
    QVERIFY(m_document->commit(&m_connection));
    QCOMPARE(count(&m_connection, QStringLiteral("select count(*) from lrg.t_file")), 1);
    QCOMPARE(count(&m_connection, QStringLiteral("select count(*) from lrg.t_file_owner")), 2);
    QCOMPARE(fileCount(storage()), 1);
}

void tst_FileWidgets::crcCollisionKeepsBothFiles_data()
{
    QTest::addColumn<bool>("held");
    QTest::newRow("held until saving") << true;
    QTest::newRow("written at once") << false;
}

void tst_FileWidgets::crcCollisionKeepsBothFiles()
{
    QFETCH(bool, held);
    const QByteArray invoice = QStringLiteral("Счёт № 17 на 108 400,00 руб.").toUtf8();
    const QByteArray act = withCrc(QStringLiteral("Акт сверки взаиморасчётов за март").toUtf8(), ::crc32(invoice));
    QCOMPARE(::crc32(act), ::crc32(invoice));

    ModalAnswerer answerer;
    if (held) {
        HeldPanel panel(m_document, QStringLiteral("t_docs"));
        panel.setData(3);
        enterText(&answerer, QStringLiteral("Счёт"));
        QVERIFY(panel.addFileFromPath(diskFile(QStringLiteral("schet.txt"), invoice)));
        QVERIFY(save(&panel));
        panel.setData(3);
        enterText(&answerer, QStringLiteral("Акт"));
        QVERIFY(panel.addFileFromPath(diskFile(QStringLiteral("akt.txt"), act)));
        QVERIFY(m_files->getRecord(1).value(QStringLiteral("id")).toLongLong() < 0); // new content, not a link
        QVERIFY(save(&panel));
    } else {
        InstantPanel panel(QStringLiteral("t_docs"));
        panel.setData(3);
        enterText(&answerer, QStringLiteral("Счёт"));
        QVERIFY(panel.addFileFromPath(diskFile(QStringLiteral("schet.txt"), invoice)));
        enterText(&answerer, QStringLiteral("Акт"));
        QVERIFY(panel.addFileFromPath(diskFile(QStringLiteral("akt.txt"), act)));
    }
    QCOMPARE(count(&m_connection, QStringLiteral("select count(*) from lrg.t_file")), 2);
    QCOMPARE(count(&m_connection, QStringLiteral("select count(distinct n_crc) from lrg.t_file")), 1);
    QCOMPARE(FileStore::read(QStringLiteral("schet.txt")), invoice);
    QCOMPARE(FileStore::read(QStringLiteral("akt.txt")), act);
}

void tst_FileWidgets::failedCommitKeepsPendingFiles()
{
    // A new owner whose own row the database refuses: the whole save fails.
    QSqlRecord owner = m_owners->newRow();
    owner.setValue(QStringLiteral("c_name"), QStringLiteral("сбой"));
    m_owners->setRow(m_owners->lastRow(), owner);
    const qint64 temporaryKey = owner.value(QStringLiteral("id")).toLongLong();
    QVERIFY(temporaryKey < 0);

    // A new file and a stored one (attached elsewhere) for the same new owner.
    const qint64 linked = attach(QStringLiteral("tu.pdf"), "Технические условия", 40);
    HeldPanel panel(m_document, QStringLiteral("t_docs"));
    panel.setData(temporaryKey);
    const QByteArray bytes = QStringLiteral("Чертёж корпуса, лист 1").toUtf8();
    ModalAnswerer answerer;
    enterText(&answerer, QStringLiteral("Чертёж"));
    QVERIFY(panel.addFileFromPath(diskFile(QStringLiteral("chertezh.dwg"), bytes)));
    QVERIFY(FileClipboard::copyIds({linked}));
    panel.addImageClipboard();
    QCOMPARE(m_files->rowCount(), 2);

    QTest::ignoreMessage(QtWarningMsg, QRegularExpression(QStringLiteral("^Error executing query: insert into public.t_owner")));
    QVERIFY(!save(&panel));
    QCOMPARE(m_files->rowCount(), 2);
    QCOMPARE(m_files->getRowState(0), int(rsNew));
    QCOMPARE(m_files->getRowState(1), int(rsNew));
    QCOMPARE(m_files->getRecord(0).value(QStringLiteral("bl_file")).toByteArray(), bytes);
    QCOMPARE(m_files->getRecord(0).value(QStringLiteral("n_key")).toLongLong(), temporaryKey);
    QCOMPARE(count(&m_connection, QStringLiteral("select count(*) from lrg.t_file where c_file = 'chertezh.dwg'")), 0);
    QCOMPARE(count(&m_connection, QStringLiteral("select count(*) from lrg.t_file_owner")), 1);

    owner.setValue(QStringLiteral("c_name"), QStringLiteral("Поставка корпусов"));
    m_owners->setRow(0, owner);
    QVERIFY(save(&panel));
    const qint64 ownerId = m_owners->getRecord(0).value(QStringLiteral("id")).toLongLong();
    QVERIFY(ownerId > 0);
    QCOMPARE(count(&m_connection, QStringLiteral("select count(*) from lrg.t_file where c_file = 'chertezh.dwg'")), 1);
    QCOMPARE(count(&m_connection, QStringLiteral("select count(*) from lrg.t_file_owner where n_key = %1").arg(ownerId)), 2);
    // Written once: one file per content, no numbered second copy.
    QCOMPARE(QDir(storage()).entryList(QDir::Files), (QStringList{QStringLiteral("chertezh.dwg"), QStringLiteral("tu.pdf")}));
    QCOMPARE(FileStore::read(QStringLiteral("chertezh.dwg")), bytes);
}

void tst_FileWidgets::fileRetiredOnlyAfterLastLink()
{
    const QByteArray bytes("План-график поставок на II квартал");
    const qint64 id = attach(QStringLiteral("plan.txt"), bytes, 1);
    QVERIFY(FileRecords::run(QStringLiteral("FILE_OWNER_COPY"), {QStringLiteral("t_docs"), 2, id}));

    FileWidget panel(m_document, QStringLiteral("t_docs"));
    for (const qint64 ownerKey : {1, 2}) {
        panel.setData(ownerKey);
        selectRows(&panel, {0});
        ModalAnswerer answerer;
        answerer.pressButton(QMessageBox::Cancel);
        panel.delFile();
        QCOMPARE(m_files->getRowState(0), int(rsUnchanged));
        answerer.pressButton(QMessageBox::Ok);
        panel.delFile();
        QCOMPARE(answerer.titles, (QStringList{QStringLiteral("Удаление"), QStringLiteral("Удаление")}));
        QCOMPARE(answerer.texts.last(), QStringLiteral("Удалить файл plan.txt?"));
        QCOMPARE(m_files->getRowState(0), int(rsDeleted));
        QVERIFY(save(&panel));
        const bool lastLink = ownerKey == 2;
        QCOMPARE(count(&m_connection, QStringLiteral("select count(*) from lrg.t_file")), lastLink ? 0 : 1);
        QCOMPARE(QFile::exists(QDir(storage()).filePath(QStringLiteral("plan.txt"))), !lastLink);
        QCOMPARE(QFile::exists(QDir(storage()).filePath(QStringLiteral("DELETE/plan.txt"))), lastLink);
    }
    QCOMPARE(readFile(QDir(storage()).filePath(QStringLiteral("DELETE/plan.txt"))), bytes);

    // Without the storage nothing can be retired, so nothing is deleted.
    attach(QStringLiteral("other.txt"), "другой", 7);
    useStorage(&m_connection, storage() + QStringLiteral("/gone"));
    FileWidget blind(m_document, QStringLiteral("t_docs"));
    blind.setData(7);
    selectRows(&blind, {0});
    ModalAnswerer answerer;
    answerer.pressButton(QMessageBox::Ok);
    blind.delFile();
    QCOMPARE(answerer.titles, QStringList{QStringLiteral("Нельзя удалить")});
    QCOMPARE(answerer.texts, QStringList{QStringLiteral("Нет доступа к хранилищу")});
    QCOMPARE(m_files->getRowState(0), int(rsUnchanged));
}

void tst_FileWidgets::badInputAddsNothing_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QByteArray>("bytes"); // null: no such file
    QTest::addColumn<bool>("withStorage");
    QTest::addColumn<QString>("title");
    QTest::addColumn<QString>("text");

    QTest::newRow("no such file") << QStringLiteral("propal.txt") << QByteArray() << true << QStringLiteral("Ошибка")
                                  << QStringLiteral("No such file or directory");
    QTest::newRow("empty file") << QStringLiteral("pusto.txt") << QByteArray("") << true << QStringLiteral("Ошибка")
                                << QStringLiteral("Файл pusto.txt пуст: прикреплять нечего.");
    QTest::newRow("name the database cannot keep")
            << QStringLiteral("Отчёт.txt") << QByteArray("отчёт") << false << QStringLiteral("Внимание")
            << QStringLiteral("Не удалось загрузить файл :\nОтчёт.txt\n"
                              "Следующие символы в имени файла не могут быть обработаны:\nО, т, ч, ё, т");
}

void tst_FileWidgets::badInputAddsNothing()
{
    QFETCH(QString, name);
    QFETCH(QByteArray, bytes);
    QFETCH(bool, withStorage);
    QFETCH(QString, title);
    QFETCH(QString, text);
    useStorage(&m_connection, withStorage ? storage() : QString());
    const QString path = bytes.isNull() ? m_disk->filePath(name) : diskFile(name, bytes);
    for (bool held : {true, false}) {
        ModalAnswerer answerer;
        answerer.pressButton(QMessageBox::Ok);
        if (held) {
            HeldPanel panel(m_document, QStringLiteral("t_docs"));
            panel.setData(1);
            QVERIFY(!panel.addFileFromPath(path));
            QCOMPARE(m_files->rowCount(), 0);
        } else {
            InstantPanel panel(QStringLiteral("t_docs"));
            panel.setData(1);
            QVERIFY(!panel.addFileFromPath(path));
        }
        QCOMPARE(answerer.titles, QStringList{title});
        QCOMPARE(answerer.texts, QStringList{text});
    }
    QCOMPARE(fileCount(storage()), 0);
    QCOMPARE(count(&m_connection, QStringLiteral("select count(*) from lrg.t_file_bytea")), 0);
    QCOMPARE(count(&m_connection, QStringLiteral("select count(*) from lrg.t_file")), 0);
}

void tst_FileWidgets::pasteAndDrop()
{
    const qint64 first = attach(QStringLiteral("a.txt"), "первый", 9);
    const qint64 second = attach(QStringLiteral("b.txt"), "второй", 9);
    HeldPanel panel(m_document, QStringLiteral("t_docs"));
    panel.setData(3);

    // Copied attachments: each file once, however often it is pasted.
    auto *ids = new QMimeData;
    ids->setData(QStringLiteral("BOLAK/fileid"), FileClipboard::packIds({first, first, second, 0, -2}));
    QGuiApplication::clipboard()->setMimeData(ids);
    panel.addImageClipboard();
    panel.addImageClipboard();
    QCOMPARE(m_files->rowCount(), 2);
    QCOMPARE(m_files->getRecord(0).value(QStringLiteral("id")).toLongLong(), first);
    QCOMPARE(m_files->getRecord(1).value(QStringLiteral("id")).toLongLong(), second);

    // An image wins over copied ids on the same clipboard; it is shown first.
    QImage image(40, 30, QImage::Format_RGB32);
    image.fill(Qt::darkGreen);
    auto *both = new QMimeData;
    both->setImageData(image);
    both->setData(QStringLiteral("BOLAK/fileid"), FileClipboard::packIds({first}));
    QGuiApplication::clipboard()->setMimeData(both);
    ModalAnswerer answerer;
    answerer.enqueue([](QWidget *dialog) {
        QVERIFY(qobject_cast<PreviewImageDialog *>(dialog));
        static_cast<QDialog *>(dialog)->accept();
    });
    enterText(&answerer, QStringLiteral("Снимок экрана"));
    panel.addImageClipboard();
    QCOMPARE(answerer.pending(), 0);
    QCOMPARE(m_files->rowCount(), 3);
    const QSqlRecord pasted = m_files->getRecord(2);
    QVERIFY(pasted.value(QStringLiteral("c_file")).toString().endsWith(QLatin1String("_clipboard.png")));
    QCOMPARE(QImage::fromData(pasted.value(QStringLiteral("bl_file")).toByteArray()).pixel(5, 5), image.pixel(5, 5));

    // Files copied or dragged in a file manager come as URLs.
    auto *copied = new QMimeData;
    copied->setUrls({QUrl::fromLocalFile(diskFile(QStringLiteral("c.txt"), "третий"))});
    QGuiApplication::clipboard()->setMimeData(copied);
    enterText(&answerer, QStringLiteral("Из проводника"));
    panel.addImageClipboard();
    QCOMPARE(m_files->rowCount(), 4);
    QMimeData dragged;
    dragged.setUrls({QUrl::fromLocalFile(diskFile(QStringLiteral("d.txt"), "четвёртый")),
                     QUrl::fromLocalFile(m_disk->path())});
    QDragEnterEvent enter(QPoint(10, 10), Qt::CopyAction, &dragged, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(&panel, &enter);
    QVERIFY(enter.isAccepted());
    QDropEvent drop(QPointF(10, 10), Qt::CopyAction, &dragged, Qt::LeftButton, Qt::NoModifier);
    enterText(&answerer, QStringLiteral("Перетащен"));
    QApplication::sendEvent(&panel, &drop);
    QCOMPARE(m_files->rowCount(), 5);
    QCOMPARE(answerer.unexpected, 0);

    QVERIFY(save(&panel));
    panel.setData(3);
    QCOMPARE(m_files->rowCount(), 5);
    QCOMPARE(count(&m_connection, QStringLiteral("select count(*) from lrg.t_file")), 5);

    // And back to the clipboard: the selected rows' ids.
    selectRows(&panel, {1, 3});
    panel.addImageToClipboard();
    QCOMPARE(FileClipboard::ids(QGuiApplication::clipboard()->mimeData()),
             (QList<qint64>{m_files->getRecord(1).value(QStringLiteral("id")).toLongLong(),
                            m_files->getRecord(3).value(QStringLiteral("id")).toLongLong()}));
}

void tst_FileWidgets::buttonsFollowSelection()
{
    attach(QStringLiteral("a.txt"), "первый", 4);
    attach(QStringLiteral("b.txt"), "второй", 4);
    FileWidget panel(m_document, QStringLiteral("t_docs"));
    panel.setData(0);
    QVERIFY(!enabled(&panel, "buttonAddFile"));
    QVERIFY(!enabled(&panel, "buttonLoadAll"));
    panel.setData(4);
    QVERIFY(enabled(&panel, "buttonAddFile") && enabled(&panel, "buttonPhoto") && enabled(&panel, "buttonClipboard"));

    const char *const single[] = {"buttonEditFile", "buttonDelFile", "buttonLoad", "buttonOpen"};
    for (const QList<int> &rows : {QList<int>{}, QList<int>{1}, QList<int>{0, 1}}) {
        selectRows(&panel, rows);
        for (const char *button : single)
            QCOMPARE(enabled(&panel, button), rows.size() == 1);
        QCOMPARE(enabled(&panel, "buttonToClipboard"), !rows.isEmpty());
        QVERIFY(enabled(&panel, "buttonLoadAll"));
    }

    panel.setReadOnly(true);
    for (const char *button : {"buttonPhoto", "buttonAddFile", "buttonClipboard", "buttonEditFile", "buttonDelFile"})
        QVERIFY(panel.findChild<QToolButton *>(QString::fromLatin1(button))->isHidden());
    QVERIFY(!panel.findChild<QToolButton *>(QStringLiteral("buttonLoadAll"))->isHidden());
}

void tst_FileWidgets::sizeInKilobytes_data()
{
    QTest::addColumn<qlonglong>("bytes");
    QTest::addColumn<QString>("shown");
    QTest::newRow("1536") << 1536ll << QStringLiteral("1.5");
    QTest::newRow("1024") << 1024ll << QStringLiteral("1");
    QTest::newRow("1500") << 1500ll << QStringLiteral("1.46484");
    QTest::newRow("3 MB") << 3145728ll << QStringLiteral("3072");
}

void tst_FileWidgets::sizeInKilobytes()
{
    QFETCH(qlonglong, bytes);
    QFETCH(QString, shown);
    FileWidget panel(m_document, QStringLiteral("t_docs"));
    panel.setData(1);
    QSqlRecord row = m_files->newRow();
    row.setValue(QStringLiteral("n_size"), bytes);
    m_files->setRow(m_files->lastRow(), row);
    QCOMPARE(m_files->getModel()->index(0, 2).data(Qt::DisplayRole).toString(), shown);
}

void tst_FileWidgets::instantPanelWritesAtOnce()
{
    // Added: recorded, linked and stored before the call returns.
    QVERIFY(attach(QStringLiteral("pasport.pdf"), "паспорт", 6) > 0);
    QCOMPARE(count(&m_connection, QStringLiteral("select count(*) from lrg.v_file_owner where n_key = 6")), 1);
    QVERIFY(QFile::exists(QDir(storage()).filePath(QStringLiteral("pasport.pdf"))));

    FileInstantDialog dialog(QStringLiteral("t_docs"), 6);
    FileInstantWidget *panel = dialog.fileWidget();
    QCOMPARE(panel->getTable()->rowCount(), 1);
    selectRows(panel, {0});
    QCOMPARE(dialog.getCurrentRecord().value(QStringLiteral("c_file")).toString(), QStringLiteral("pasport.pdf"));

    ModalAnswerer answerer;
    answerer.enqueue([](QWidget *widget) {
        auto *edit = qobject_cast<FileEditDialog *>(widget);
        QVERIFY(edit);
        edit->findChild<QLineEdit *>(QStringLiteral("lineEditComment"))->setText(QStringLiteral("Паспорт, ред. 2"));
        edit->accept();
    });
    panel->editFile();
    QCOMPARE(scalar(&m_connection, QStringLiteral("select c_comment from lrg.t_file")).toString(),
             QStringLiteral("Паспорт, ред. 2"));
    QCOMPARE(panel->getTable()->getRowState(0), int(rsUnchanged));

    answerer.pressButton(QMessageBox::Ok);
    panel->delFile();
    QCOMPARE(answerer.unexpected, 0);
    QCOMPARE(count(&m_connection, QStringLiteral("select count(*) from lrg.t_file_owner")), 0);
    QCOMPARE(count(&m_connection, QStringLiteral("select count(*) from lrg.t_file")), 0);
    QVERIFY(QFile::exists(QDir(storage()).filePath(QStringLiteral("DELETE/pasport.pdf"))));
    QCOMPARE(panel->getTable()->rowCount(), 0);

    dialog.setSelected(true);
    QVERIFY(!dialog.findChild<QPushButton *>(QStringLiteral("buttonAccept"))->isHidden());
    QVERIFY(dialog.findChild<QPushButton *>(QStringLiteral("buttonClose"))->isHidden());
}

void tst_FileWidgets::replaceFile_data()
{
    QTest::addColumn<QString>("newName");
    QTest::addColumn<bool>("storedElsewhere");
    QTest::newRow("same name") << QStringLiteral("plan.txt") << false;
    QTest::newRow("new name") << QStringLiteral("plan-2.txt") << false;
    QTest::newRow("content stored elsewhere") << QStringLiteral("kopiya.txt") << true;
}

void tst_FileWidgets::replaceFile()
{
    QFETCH(QString, newName);
    QFETCH(bool, storedElsewhere);
    const QByteArray oldBytes("план, первая редакция");
    const QByteArray newBytes = storedElsewhere ? QByteArray("эталон") : QByteArray("план, вторая редакция");
    const qint64 oldId = attach(QStringLiteral("plan.txt"), oldBytes, 1);
    const qint64 otherId = storedElsewhere ? attach(QStringLiteral("etalon.txt"), newBytes, 8) : 0;

    InstantPanel panel(QStringLiteral("t_docs"));
    panel.setData(1);
    selectRows(&panel, {0});
    const QString path = diskFile(newName, newBytes);
    ModalAnswerer answerer;
    answerer.enqueue([path](QWidget *widget) {
        auto *edit = qobject_cast<FileEditDialog *>(widget);
        QVERIFY(edit);
        edit->setNewFile(path);
        edit->accept();
    });
    if (storedElsewhere)
        answerer.pressButton(QMessageBox::Ok);
    panel.editFile();
    QCOMPARE(answerer.pending(), 0);
    QCOMPARE(answerer.unexpected, 0);

    const QSqlRecord row = panel.getTable()->getRecord(0);
    QCOMPARE(panel.getTable()->getRowState(0), int(rsUnchanged));
    const QDir dir(storage());
    if (storedElsewhere) {
        QCOMPARE(answerer.titles, QStringList{QStringLiteral("Найдено совпадение по CRC в БД")});
        QCOMPARE(answerer.texts, QStringList{QStringLiteral("Имя файла: etalon.txt")});
        QCOMPARE(row.value(QStringLiteral("id")).toLongLong(), otherId);
        QVERIFY(FileRecords::findById(oldId).isEmpty());
        QCOMPARE(count(&m_connection, QStringLiteral("select count(*) from lrg.t_file_owner where id_file = %1").arg(otherId)), 2);
    } else {
        QCOMPARE(row.value(QStringLiteral("id")).toLongLong(), oldId);
        QCOMPARE(row.value(QStringLiteral("c_file")).toString(), newName);
        const QSqlRecord record = FileRecords::findById(oldId);
        QCOMPARE(record.value(QStringLiteral("c_file")).toString(), newName);
        QCOMPARE(record.value(QStringLiteral("n_crc")).toLongLong(), qint64(::crc32(newBytes)));
        QCOMPARE(FileStore::read(newName), newBytes);
    }
    // The old bytes are kept, never overwritten.
    QCOMPARE(readFile(dir.filePath(QStringLiteral("DELETE/plan.txt"))), oldBytes);

    // A later description edit still finds the record's current version.
    answerer.enqueue([](QWidget *widget) {
        widget->findChild<QLineEdit *>(QStringLiteral("lineEditComment"))->setText(QStringLiteral("после замены"));
        static_cast<QDialog *>(widget)->accept();
    });
    panel.editFile();
    QCOMPARE(scalar(&m_connection, QStringLiteral("select c_comment from lrg.t_file where id = %1")
                                          .arg(row.value(QStringLiteral("id")).toLongLong())).toString(),
             QStringLiteral("после замены"));
}

void tst_FileWidgets::previewFitsTheScreen_data()
{
    QTest::addColumn<QSize>("image");
    QTest::addColumn<QSize>("screen");
    QTest::addColumn<QSize>("shown");
    QTest::newRow("photo on full HD") << QSize(4000, 3000) << QSize(1920, 1080) << QSize(1240, 930);
    QTest::newRow("panorama") << QSize(6000, 500) << QSize(1920, 1080) << QSize(1770, 147);
    QTest::newRow("fits") << QSize(800, 600) << QSize(1920, 1080) << QSize(800, 600);
}

void tst_FileWidgets::previewFitsTheScreen()
{
    QFETCH(QSize, image);
    QFETCH(QSize, screen);
    QFETCH(QSize, shown);
    QCOMPARE(PreviewImageDialog::shownSize(image, screen), shown);
}

void tst_FileWidgets::noCameraNoHang()
{
    if (photoDialog::cameraAvailable())
        QSKIP("this workstation has a camera");
    FileWidget panel(m_document, QStringLiteral("t_docs"));
    panel.setData(1);
    ModalAnswerer answerer;
    answerer.pressButton(QMessageBox::Ok);
    panel.photo();
    QCOMPARE(answerer.titles, QStringList{QStringLiteral("Захват с камеры")});
    QCOMPARE(m_files->rowCount(), 0);

    photoDialog dialog;
    QVERIFY(!dialog.hasCamera());
    dialog.show();
    QTest::keyRelease(&dialog, Qt::Key_Space, Qt::ShiftModifier);
    QVERIFY(dialog.isVisible());
    QTest::keyRelease(&dialog, Qt::Key_Space);
    QVERIFY(!dialog.isVisible());
    QCOMPARE(dialog.result(), int(QDialog::Rejected));
    QVERIFY(dialog.getImage().isNull());
}

QTEST_MAIN(tst_FileWidgets)
#include "tst_filewidgets.moc"
