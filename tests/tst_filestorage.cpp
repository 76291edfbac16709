// Attachment storage against the real server: checksums and names, both
// content stores, the clipboard format, and bringing files back to disk.

#include "filetesting.h"

#include "fileclipboard.h"
#include "fileexport.h"
#include "filefunctions.h"
#include "fileownertable.h"
#include "filerecords.h"
#include "filestore.h"
#include "modalanswerer.h"
#include "qdatatable.h"
#include "qsqlconnection.h"

#include <QClipboard>
#include <QDesktopServices>
#include <QDir>
#include <QLineEdit>
#include <QMessageBox>
#include <QMimeData>
#include <QTemporaryDir>
#include <QtTest>

using namespace FileTesting;

class tst_FileStorage : public QObject
{
    Q_OBJECT

public slots:
    void opened(const QUrl &url) { m_opened.append(url.toLocalFile()); }

private slots:
    void initTestCase();
    void init();

    void checksum_data();
    void checksum();
    void fileNameCheck_data();
    void fileNameCheck();
    void clipboardFormat();
    void storeRoundTrip_data();
    void storeRoundTrip();
    void recordWithoutHash();
    void retiringKeepsEveryVersion();
    void bringOneFileToDisk_data();
    void bringOneFileToDisk();
    void saveAllIntoNewFolder();
    void saveAllAsksBeforeReplacing_data();
    void saveAllAsksBeforeReplacing();

private:
    QString storage() const { return m_storage->path(); }
    // Records content through the insert script, as a panel does after storing its bytes.
    qint64 recordFile(const QString &name, const QByteArray &bytes, qint64 ownerKey = 1);
    // A panel's list of the named files, as "save all" gets it.
    void listFiles(QDataTable *table, const QStringList &names, bool withBytes);

    QSqlConnection m_connection;
    QScopedPointer<QTemporaryDir> m_storage;
    QTemporaryDir m_disk;
    QStringList m_opened;
};

void tst_FileStorage::initTestCase()
{
    QString error;
    QVERIFY2(FileTesting::connect(QStringLiteral("tst_filestorage"), &m_connection, &error), qPrintable(error));
    // Files opened "with their program" land in the temporary folder: ours.
    qputenv("TMPDIR", QFile::encodeName(m_disk.path()));
    QDesktopServices::setUrlHandler(QStringLiteral("file"), this, "opened");
}

void tst_FileStorage::init()
{
    clearAttachments(&m_connection);
    m_storage.reset(new QTemporaryDir);
    useStorage(&m_connection, storage());
    m_opened.clear();
}

qint64 tst_FileStorage::recordFile(const QString &name, const QByteArray &bytes, qint64 ownerKey)
{
    QDataTable *table = FileOwnerTable::create(QStringLiteral("t_file_owner"), &m_connection, this, false);
    table->setSelectParam(QStringLiteral("c_table"), QStringLiteral("t_docs"));
    table->setSelectParam(QStringLiteral("n_key"), ownerKey);
    table->open();
    QSqlRecord row = table->newRow();
    row.setValue(QStringLiteral("c_table"), QStringLiteral("t_docs"));
    row.setValue(QStringLiteral("n_key"), ownerKey);
    row.setValue(QStringLiteral("c_file"), name);
    row.setValue(QStringLiteral("c_comment"), QStringLiteral("Описание"));
    row.setValue(QStringLiteral("n_crc"), qint64(::crc32(bytes)));
    row.setValue(QStringLiteral("n_size"), qint64(bytes.size()));
    row.setValue(QStringLiteral("c_sha256"), FileRecords::sha256(bytes));
    table->setRow(table->lastRow(), row);
    const bool committed = table->commit();
    const qint64 id = table->getRecord(table->lastRow()).value(QStringLiteral("id")).toLongLong();
    delete table;
    return committed ? id : -1;
}

void tst_FileStorage::listFiles(QDataTable *table, const QStringList &names, bool withBytes)
{
    FileOwnerTable::addColumns(table, withBytes);
    table->setScripts(QStringLiteral("select * from (values (1)) v where false"), QString(), QString(), QString(), true);
    table->setConnection(&m_connection);
    QVERIFY(table->open());
    for (const QString &name : names) {
        QSqlRecord row = table->newRow();
        row.setValue(QStringLiteral("c_file"), name);
        table->setRow(table->lastRow(), row);
    }
}

void tst_FileStorage::checksum_data()
{
    QTest::addColumn<QByteArray>("data");
    QTest::addColumn<qulonglong>("offset");
    QTest::addColumn<qulonglong>("length");
    QTest::addColumn<quint32>("expected");

    QTest::newRow("empty") << QByteArray() << 0ull << 0ull << 0u;
    QTest::newRow("check value") << QByteArray("123456789") << 0ull << 0ull << 0xCBF43926u;
    QTest::newRow("range in the middle") << QByteArray("ab123456789cd") << 2ull << 9ull << 0xCBF43926u;
    QTest::newRow("length past the end") << QByteArray("123456789") << 0ull << 100ull << 0xCBF43926u;
    QTest::newRow("offset at the end") << QByteArray("123") << 3ull << 0ull << 0u;
    QTest::newRow("offset past the end") << QByteArray("123") << 7ull << 2ull << 0u;
}

void tst_FileStorage::checksum()
{
    QFETCH(QByteArray, data);
    QFETCH(qulonglong, offset);
    QFETCH(qulonglong, length);
    QFETCH(quint32, expected);
    QCOMPARE(::crc32(data, offset, length), expected);
}

void tst_FileStorage::fileNameCheck_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("refused");

    QTest::newRow("plain") << QStringLiteral("report.pdf") << QString();
    QTest::newRow("every allowed character") << QStringLiteral("az09!?()-_=+*/.,<>:;[]{} ") << QString();
    QTest::newRow("capital") << QStringLiteral("Report.pdf") << QStringLiteral("R");
    QTest::newRow("repeated, in order") << QStringLiteral("A'b'C.txt") << QStringLiteral("A, ', ', C");
    QTest::newRow("cyrillic") << QStringLiteral("акт.pdf") << QStringLiteral("а, к, т");
}

void tst_FileStorage::fileNameCheck()
{
    QFETCH(QString, name);
    QFETCH(QString, refused);
    ModalAnswerer answerer;
    answerer.pressButton(QMessageBox::Ok);
    QString checked = name;
    QCOMPARE(checkFileName(checked), refused.isEmpty());
    if (refused.isEmpty()) {
        QCOMPARE(answerer.texts.size(), 0);
        return;
    }
    QTRY_COMPARE(answerer.texts.size(), 1);
    QCOMPARE(answerer.titles.first(), QStringLiteral("Внимание"));
    QCOMPARE(answerer.texts.first(), QStringLiteral("Не удалось загрузить файл :\n%1\n"
                                                    "Следующие символы в имени файла не могут быть обработаны:\n%2")
                                             .arg(name, refused));
}

void tst_FileStorage::clipboardFormat()
{
    const QList<qint64> ids = {1, 0x0102030405060708LL, 513};
    const QByteArray packed = FileClipboard::packIds(ids);
    const QByteArray expected = QByteArray::fromHex("0100000000000000" "0807060504030201" "0102000000000000");
    QCOMPARE(packed, expected);
    QCOMPARE(FileClipboard::unpackIds(packed + QByteArray("\x05\x06", 2)), ids);

    QGuiApplication::clipboard()->setText(QStringLiteral("прежнее"));
    QVERIFY(!FileClipboard::copyIds({0, -4}));
    QCOMPARE(QGuiApplication::clipboard()->text(), QStringLiteral("прежнее"));
    QVERIFY(FileClipboard::copyIds({7, 0, 9}));
    const QMimeData *data = QGuiApplication::clipboard()->mimeData();
    QCOMPARE(data->data(QStringLiteral("BOLAK/fileid")), QByteArray::fromHex("0700000000000000" "0900000000000000"));
    QCOMPARE(FileClipboard::ids(data), (QList<qint64>{7, 9}));
}

void tst_FileStorage::storeRoundTrip_data()
{
    QTest::addColumn<QString>("where");
    QTest::newRow("storage directory") << QStringLiteral("directory");
    QTest::newRow("no storage directory") << QStringLiteral("none");
    QTest::newRow("storage directory missing") << QStringLiteral("missing");
}

void tst_FileStorage::storeRoundTrip()
{
    QFETCH(QString, where);
    QString directory = storage();
    if (where == QLatin1String("none"))
        directory.clear();
    else if (where == QLatin1String("missing"))
        directory = storage() + QStringLiteral("/gone");
    useStorage(&m_connection, directory);
    const bool inDirectory = where == QLatin1String("directory");

    QByteArray first(70000, Qt::Uninitialized);
    for (int i = 0; i < first.size(); ++i)
        first[i] = char(i * 7 + i / 256);
    const QByteArray second = QByteArray("другое содержимое").repeated(50);

    QString stored;
    QVERIFY(FileStore::put(FileStore::filePath(), QStringLiteral("scan.pdf"), first, &stored));
    QCOMPARE(stored, QStringLiteral("scan.pdf"));
    QCOMPARE(FileStore::read(stored), first);
    QCOMPARE(QFile::exists(storage() + QStringLiteral("/scan.pdf")), inDirectory);
    QCOMPARE(count(&m_connection, QStringLiteral("select count(*) from lrg.t_file_bytea")), inDirectory ? 0 : 1);

    // The same bytes again (a retried save): nothing new is written.
    QVERIFY(FileStore::put(FileStore::filePath(), QStringLiteral("scan.pdf"), first, &stored));
    QCOMPARE(stored, QStringLiteral("scan.pdf"));
    QCOMPARE(count(&m_connection, QStringLiteral("select count(*) from lrg.t_file_bytea")), inDirectory ? 0 : 1);

    // Other bytes under a taken name keep the first ones and take a numbered name.
    QVERIFY(FileStore::put(FileStore::filePath(), QStringLiteral("scan.pdf"), second, &stored));
    QCOMPARE(stored, QStringLiteral("scan_1.pdf"));
    QCOMPARE(FileStore::read(QStringLiteral("scan.pdf")), first);
    QCOMPARE(FileStore::read(QStringLiteral("scan_1.pdf")), second);

    // A name that a record holds is not reused either, even with no bytes behind it.
    QVERIFY(recordFile(QStringLiteral("recorded.txt"), "x") > 0);
    QVERIFY(FileStore::put(FileStore::filePath(), QStringLiteral("recorded.txt"), second, &stored));
    QCOMPARE(stored, QStringLiteral("recorded_1.txt"));

    // The database store takes only names it can keep; the user hears why.
    ModalAnswerer answerer;
    answerer.pressButton(QMessageBox::Ok);
    QString error;
    QCOMPARE(FileStore::put(FileStore::filePath(), QStringLiteral("Скан.pdf"), second, &stored, &error), inDirectory);
    QCOMPARE(answerer.texts.size(), inDirectory ? 0 : 1);
    QVERIFY(error.isEmpty());
    QCOMPARE(fileCount(storage()), inDirectory ? 4 : 0);
}

// Two contents with one checksum are told apart by their hashes (the panels'
// suite keeps both such files); a record made before hashes were kept is
// compared by its stored bytes instead.
void tst_FileStorage::recordWithoutHash()
{
    const QByteArray original = QStringLiteral("Счёт на оплату № 17 от 01.03.2024").toUtf8();
    const QByteArray forged = withCrc(QStringLiteral("Акт сверки, совсем другой текст").toUtf8(), ::crc32(original));
    QString stored;
    QVERIFY(FileStore::put(storage(), QStringLiteral("schet.txt"), original, &stored));
    const qint64 id = recordFile(stored, original);
    QVERIFY(id > 0);
    m_connection.execScript(QStringLiteral("update lrg.t_file set c_sha256 = null"));
    QCOMPARE(FileRecords::findSameContent(original).value(QStringLiteral("id")).toLongLong(), id);
    QVERIFY(FileRecords::findSameContent(forged).isEmpty());
}

void tst_FileStorage::retiringKeepsEveryVersion()
{
    const QDir dir(storage());
    QString stored;
    QVERIFY(FileStore::put(storage(), QStringLiteral("plan.txt"), "первая версия", &stored));
    QVERIFY(FileStore::retire(storage(), QStringLiteral("plan.txt")));
    QVERIFY(!dir.exists(QStringLiteral("plan.txt")));
    QCOMPARE(readFile(dir.filePath(QStringLiteral("DELETE/plan.txt"))), QByteArray("первая версия"));

    QVERIFY(FileStore::put(storage(), QStringLiteral("plan.txt"), "вторая версия", &stored));
    QVERIFY(FileStore::retire(storage(), QStringLiteral("plan.txt")));
    QCOMPARE(readFile(dir.filePath(QStringLiteral("DELETE/plan.txt"))), QByteArray("вторая версия"));
    const QStringList older = QDir(dir.filePath(QStringLiteral("DELETE"))).entryList({QStringLiteral("plan~*.txt")});
    QCOMPARE(older.size(), 1);
    QCOMPARE(readFile(dir.filePath(QStringLiteral("DELETE/") + older.first())), QByteArray("первая версия"));

    // The same bytes retired twice leave one copy.
    QVERIFY(FileStore::put(storage(), QStringLiteral("plan.txt"), "вторая версия", &stored));
    QVERIFY(FileStore::retire(storage(), QStringLiteral("plan.txt")));
    QCOMPARE(fileCount(dir.filePath(QStringLiteral("DELETE"))), 2);
    QVERIFY(!FileStore::retire(storage(), QStringLiteral("plan.txt")));
}

void tst_FileStorage::bringOneFileToDisk_data()
{
    QTest::addColumn<bool>("inDatabase");
    QTest::addColumn<bool>("toFolder");
    QTest::addColumn<QByteArray>("onDisk");  // what the folder holds already under that name
    QTest::addColumn<int>("answer");         // to the overwrite question, 0 when none is expected
    QTest::addColumn<bool>("written");

    QTest::newRow("open from the directory") << false << false << QByteArray() << 0 << true;
    QTest::newRow("open from the database") << true << false << QByteArray() << 0 << true;
    QTest::newRow("to a folder") << true << true << QByteArray() << 0 << true;
    QTest::newRow("to a folder holding the same") << false << true << QByteArray("содержимое") << 0 << true;
    QTest::newRow("to a folder, keep theirs") << false << true << QByteArray("чужое") << int(QMessageBox::No) << false;
    QTest::newRow("to a folder, replace") << true << true << QByteArray("чужое") << int(QMessageBox::Yes) << true;
}

void tst_FileStorage::bringOneFileToDisk()
{
    QFETCH(bool, inDatabase);
    QFETCH(bool, toFolder);
    QFETCH(QByteArray, onDisk);
    QFETCH(int, answer);
    QFETCH(bool, written);
    const QByteArray bytes("содержимое");
    const QString name = QStringLiteral("akt.txt");
    if (inDatabase)
        useStorage(&m_connection, QString());
    QString stored;
    QVERIFY(FileStore::put(FileStore::filePath(), name, bytes, &stored));
    useStorage(&m_connection, storage());

    QTemporaryDir folder;
    if (!onDisk.isEmpty())
        QVERIFY(writeFile(folder.filePath(name), onDisk));
    ModalAnswerer answerer;
    if (toFolder)
        chooseFile(&answerer, folder.path());
    if (answer)
        answerer.pressButton(answer);
    QCOMPARE(getFileFromBase(name, toFolder, false), written);
    QCOMPARE(answerer.pending(), 0);
    QCOMPARE(answerer.unexpected, 0);
    if (toFolder) {
        QCOMPARE(readFile(folder.filePath(name)), written ? bytes : onDisk);
        QVERIFY(m_opened.isEmpty());
    } else {
        QCOMPARE(m_opened.size(), 1);
        QCOMPARE(readFile(m_opened.first()), bytes);
        QCOMPARE(QFileInfo(m_opened.first()).fileName(), name);
    }

    // Nothing stored under the name: the user is told, nothing is written or opened.
    answerer.pressButton(QMessageBox::Ok);
    m_opened.clear();
    const int seen = answerer.texts.size();
    QVERIFY(!getFileFromBase(QStringLiteral("nowhere.txt"), false, false));
    QTRY_COMPARE(answerer.texts.size(), seen + 1);
    QCOMPARE(answerer.texts.last(), QStringLiteral("Файл nowhere.txt не найден"));
    QVERIFY(m_opened.isEmpty());
}

void tst_FileStorage::saveAllIntoNewFolder()
{
    QString stored;
    QVERIFY(FileStore::put(storage(), QStringLiteral("a.txt"), "первый", &stored));
    useStorage(&m_connection, QString());
    QVERIFY(FileStore::put(QString(), QStringLiteral("b.txt"), "второй", &stored));
    useStorage(&m_connection, storage());
    QDataTable table(QStringLiteral("t_file_owner"));
    listFiles(&table, {QStringLiteral("a.txt"), QStringLiteral("b.txt"), QStringLiteral("missing.txt"),
                       QStringLiteral("unsaved.txt")}, true);
    QSqlRecord unsaved = table.getRecord(3);
    unsaved.setValue(QStringLiteral("bl_file"), QByteArray("ещё не сохранён"));
    table.setRow(3, unsaved);

    QTemporaryDir folder;
    QDir(folder.path()).mkdir(QStringLiteral("Март"));
    ModalAnswerer answerer;
    chooseFile(&answerer, folder.path());
    enterText(&answerer, QString());
    answerer.pressButton(QMessageBox::Ok);
    enterText(&answerer, QStringLiteral("Март"));
    answerer.pressButton(QMessageBox::Ok);
    // Asked again, the question offers the refused name to correct.
    QString offered;
    answerer.enqueue([&offered](QWidget *widget) {
        if (auto *edit = widget->findChild<QLineEdit *>())
            offered = edit->text();
    });
    enterText(&answerer, QStringLiteral("Апрель"));
    answerer.pressButton(QMessageBox::Ok);
    loadFileAllFromBase(&table, false);
    QCOMPARE(offered, QStringLiteral("Март"));

    QCOMPARE(answerer.unexpected, 0);
    QCOMPARE(answerer.titles, (QStringList{QStringLiteral("Внимане"), QStringLiteral("Внимане"),
                                           QStringLiteral("Загрузка файлов")}));
    QCOMPARE(answerer.texts, (QStringList{QStringLiteral("Не задан каталог"), QStringLiteral("Каталог уже существует"),
                                          QStringLiteral("Файлы сохранены")}));
    const QDir target(folder.filePath(QStringLiteral("Апрель")));
    QCOMPARE(target.entryList(QDir::Files), (QStringList{QStringLiteral("a.txt"), QStringLiteral("b.txt"),
                                                         QStringLiteral("unsaved.txt")}));
    QCOMPARE(readFile(target.filePath(QStringLiteral("a.txt"))), QByteArray("первый"));
    QCOMPARE(readFile(target.filePath(QStringLiteral("b.txt"))), QByteArray("второй"));
    QCOMPARE(readFile(target.filePath(QStringLiteral("unsaved.txt"))), QByteArray("ещё не сохранён"));
}

void tst_FileStorage::saveAllAsksBeforeReplacing_data()
{
    QTest::addColumn<QList<int>>("answers");
    QTest::addColumn<QByteArray>("firstAfter");
    QTest::addColumn<QByteArray>("secondAfter");

    const QByteArray mine("их правка");
    QTest::newRow("no to all") << QList<int>{QMessageBox::NoToAll} << mine << mine;
    QTest::newRow("yes to all") << QList<int>{QMessageBox::YesToAll} << QByteArray("один") << QByteArray("два");
    QTest::newRow("yes, then no") << QList<int>{QMessageBox::Yes, QMessageBox::No} << QByteArray("один") << mine;
}

void tst_FileStorage::saveAllAsksBeforeReplacing()
{
    QFETCH(QList<int>, answers);
    QFETCH(QByteArray, firstAfter);
    QFETCH(QByteArray, secondAfter);
    QString stored;
    QVERIFY(FileStore::put(storage(), QStringLiteral("1.txt"), "один", &stored));
    QVERIFY(FileStore::put(storage(), QStringLiteral("2.txt"), "два", &stored));
    QVERIFY(FileStore::put(storage(), QStringLiteral("3.txt"), "три", &stored));
    QDataTable table(QStringLiteral("t_file_owner"));
    listFiles(&table, {QStringLiteral("1.txt"), QStringLiteral("2.txt"), QStringLiteral("3.txt")}, false);
    QTemporaryDir folder;
    QVERIFY(writeFile(folder.filePath(QStringLiteral("1.txt")), "их правка"));
    QVERIFY(writeFile(folder.filePath(QStringLiteral("2.txt")), "их правка"));
    QVERIFY(writeFile(folder.filePath(QStringLiteral("3.txt")), "три")); // the same: no question

    ModalAnswerer answerer;
    chooseFile(&answerer, folder.path());
    enterText(&answerer, QString(), false); // no subfolder
    for (int answer : answers)
        answerer.pressButton(answer);
    answerer.pressButton(QMessageBox::Ok);
    loadFileAllFromBase(&table, false);

    QCOMPARE(answerer.unexpected, 0);
    QCOMPARE(answerer.pending(), 0);
    QCOMPARE(readFile(folder.filePath(QStringLiteral("1.txt"))), firstAfter);
    QCOMPARE(readFile(folder.filePath(QStringLiteral("2.txt"))), secondAfter);
    QCOMPARE(readFile(folder.filePath(QStringLiteral("3.txt"))), QByteArray("три"));
}

QTEST_MAIN(tst_FileStorage)
#include "tst_filestorage.moc"
