// What attachments cost, against the plain ways of doing the same work, in
// one run on the private server: checksums, the safe write into the storage
// directory, the database store, and finding identical content among many
// records. Prints ratios; asserts nothing.

#include "filefunctions.h"
#include "filerecords.h"
#include "filestore.h"
#include "appcontext.h"
#include "qsqlconnection.h"
#include "testserver.h"

#include <QApplication>
#include <QCryptographicHash>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QLibrary>
#include <QRandomGenerator>
#include <QSqlQuery>
#include <QTemporaryDir>

#include <cstdio>
#include <functional>
#include <zlib.h>

namespace {

constexpr int runs = 3;

// The best of a few runs, in milliseconds.
double best(const std::function<void()> &work)
{
    double fastest = 1e300;
    for (int i = 0; i < runs; ++i) {
        QElapsedTimer clock;
        clock.start();
        work();
        fastest = qMin(fastest, clock.nsecsElapsed() / 1e6);
    }
    return fastest;
}

QByteArray randomBytes(int size)
{
    QByteArray bytes(size, Qt::Uninitialized);
    QRandomGenerator generator(20240301);
    generator.fillRange(reinterpret_cast<quint32 *>(bytes.data()), size / 4);
    return bytes;
}

void line(const char *what, double ms, double baselineMs, const char *baseline)
{
    std::printf("  %-46s %9.1f ms   x%.2f against %s (%.1f ms)\n", what, ms, ms / baselineMs, baseline, baselineMs);
}

} // namespace

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    QString error;
    QLibrary driver;
    QSqlConnection connection;
    if (!TestServer::prepareDatabase(QStringLiteral("bench_files"), &error)) {
        std::fprintf(stderr, "%s\n", qPrintable(error));
        return 1;
    }
    driver.setFileName(TestServer::driverFile());
    if (!TestServer::connectAndLogin(&driver, &connection, true, &error)) {
        std::fprintf(stderr, "%s\n", qPrintable(error));
        return 1;
    }
    AppContext::setConnection(&connection);
    QTemporaryDir storage;
    QSqlQuery query(connection.database());
    query.exec(connection.parseQuery(QStringLiteral("update sys.t_sys_attr set c_value = :path where c_attr = 'FilePath'"),
                                     QStringLiteral("path"), storage.path()));
    FileStore::forgetPaths();

    const QByteArray big = randomBytes(64 << 20);
    std::printf("Checksums of 64 MB\n");
    volatile quint32 sink = 0;
    const double zlibMs = best([&] {
        sink = ::crc32(0L, reinterpret_cast<const Bytef *>(big.constData()), uInt(big.size()));
    });
    const double oursMs = best([&] { sink = ::crc32(big); });
    const double shaMs = best([&] { QCryptographicHash::hash(big, QCryptographicHash::Sha256); });
    line("crc32 (ours, over zlib)", oursMs, zlibMs, "zlib crc32 called directly");
    line("SHA-256 (QCryptographicHash)", shaMs, oursMs, "our crc32");
    Q_UNUSED(sink)

    std::printf("Storing a 20 MB file\n");
    const QByteArray file = randomBytes(20 << 20);
    int n = 0;
    const double plainMs = best([&] {
        QFile out(storage.filePath(QStringLiteral("plain-%1.bin").arg(++n)));
        out.open(QIODevice::WriteOnly);
        out.write(file);
    });
    const double safeMs = best([&] {
        FileStore::writeToDirectory(storage.path(), QStringLiteral("safe-%1.bin").arg(++n), file);
    });
    const double againMs = best([&] { FileStore::writeToDirectory(storage.path(), QStringLiteral("safe-1.bin"), file); });
    const double databaseMs = best([&] { FileStore::writeToDatabase(QStringLiteral("db-%1.bin").arg(++n), file); });
    line("directory: temporary file, fsync, rename", safeMs, plainMs, "QFile::write, no sync");
    line("directory: same bytes again (a retried save)", againMs, plainMs, "QFile::write, no sync");
    line("database store (FILE_BYTEA_INSERT)", databaseMs, safeMs, "the directory");

    std::printf("Finding identical content among 50,000 records\n");
    query.exec(QStringLiteral(
            "insert into lrg.t_file (c_file, n_crc, n_size, c_sha256) "
            "select 'f' || g || '.bin', (g * 2654435761) % 4294967296, 1000 + g, "
            "       encode(sha256(int8send(g)), 'hex') from generate_series(1, 50000) g"));
    const QByteArray probe = randomBytes(100000);
    const qint64 probeCrc = ::crc32(probe);
    // Twelve records share the probe's checksum and size: only the hash tells them apart.
    query.exec(connection.parseQuery(
            QStringLiteral("insert into lrg.t_file (c_file, n_crc, n_size, c_sha256) "
                           "select 'twin' || g || '.bin', :crc , 100000, encode(sha256(int8send(g)), 'hex') "
                           "from generate_series(1, 12) g"),
            QStringLiteral("crc"), probeCrc));
    query.exec(QStringLiteral("analyze lrg.t_file"));
    const double byCrcMs = best([&] { FileRecords::findByCrc(probeCrc); });
    const double sameMs = best([&] { FileRecords::findSameContent(probe); });
    line("findSameContent (CRC, size, SHA-256)", sameMs, byCrcMs, "findFileByCRC alone");
    return 0;
}
