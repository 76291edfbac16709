// The services the library shares with the shell and the other module libraries.

#include "dialogbounds.h"
#include "eventhandler.h"
#include "fileversion.h"
#include "liblist.h"
#include "modulelibrary.h"
#include "objvar.h"
#include "qdataset.h"
#include "qdatatable.h"
#include "siblingmodules.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QLibrary>
#include <QLibraryInfo>
#include <QLoggingCategory>
#include <QPointer>
#include <QTemporaryDir>
#include <QTest>
#include <QTranslator>
#include <QWidget>

#include <memory>

namespace {

const QString modulesDir = QStringLiteral(TEST_MODULES_DIR);
const QString versionedFile = QStringLiteral("versionedlib.so");

QString versionedBuild(const QString &build)
{
    return modulesDir + QLatin1Char('/') + build + QLatin1Char('/') + versionedFile;
}

// Collects the debug and warning lines written while it lives.
class MessageLog
{
public:
    MessageLog()
    {
        s_lines.clear();
        m_previous = qInstallMessageHandler(&MessageLog::collect);
    }
    ~MessageLog() { qInstallMessageHandler(m_previous); }

    bool contains(const QString &text) const
    {
        for (const QString &line : qAsConst(s_lines)) {
            if (line.contains(text))
                return true;
        }
        return false;
    }

private:
    static void collect(QtMsgType, const QMessageLogContext &, const QString &message) { s_lines << message; }

    static QStringList s_lines;
    QtMessageHandler m_previous;
};
QStringList MessageLog::s_lines;

// The shell's library list, freeing its libraries as the shell does.
struct ShellLibraries
{
    libList list;
    ShellLibraries() { qApp->setProperty("libList", objToVar(&list)); }
    ~ShellLibraries()
    {
        qApp->setProperty("libList", QVariant());
        for (const libInfo &info : qAsConst(list))
            delete info.library;
    }
};

void dealsReminder(QString, long long) {}
void otherReminder(QString, long long) {}

} // namespace

class TestShellServices : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void cleanup();

    void registry_data();
    void registry();
    void registryMissingOrHandlerNull();

    void fileVersion_data();
    void fileVersion();
    void stringFileInfo_data();
    void stringFileInfo();

    void loadWithRepository_data();
    void loadWithRepository();
    void lookupIgnoresCase();
    void translation_data();
    void translation();

    void libDirFunctions_data();
    void libDirFunctions();
    void siblingCalls_data();
    void siblingCalls();
    void mergeDocument_data();
    void mergeDocument();

    void dialogBounds_data();
    void dialogBounds();
};

void TestShellServices::initTestCase()
{
    // The promised debug lines ("UPDATING: ", "ERROR LOADING LIBRARY: ") are checked by their text.
    QLoggingCategory::setFilterRules(QStringLiteral("workplace.*.debug=true"));
}

void TestShellServices::cleanup()
{
    for (const char *name : {"EventHandlers", "libDir", "libList", "repoPath", "Locale", "LocaleDir", "siblingCalls"})
        qApp->setProperty(name, QVariant());
    for (QTranslator *translator : qApp->findChildren<QTranslator *>(QString(), Qt::FindDirectChildrenOnly))
        delete translator;
}

void TestShellServices::registry_data()
{
    QTest::addColumn<QString>("second");
    QTest::addColumn<bool>("secondRegistered");
    QTest::addColumn<QString>("lookup");
    QTest::addColumn<QString>("expectedModule");

    // "t_deals" is registered first by "deals", then `second` by "other".
    QTest::newRow("same name again") << "t_deals" << false << "t_deals" << "deals";
    QTest::newRow("capitals") << "T_DEALS" << false << "t_deals" << "deals";
    QTest::newRow("blanks") << "  t_deals\t" << false << "t_deals" << "deals";
    QTest::newRow("look-up in capitals and blanks") << "t_other" << true << " T_Deals " << "deals";
    QTest::newRow("another table") << "t_other" << true << "T_OTHER" << "other";
    QTest::newRow("unknown table") << "t_other" << true << "t_unknown" << "";
}

void TestShellServices::registry()
{
    QFETCH(QString, second);
    QFETCH(bool, secondRegistered);
    QFETCH(QString, lookup);
    QFETCH(QString, expectedModule);

    eventHandlerRegistry shellRegistry;
    qApp->setProperty("EventHandlers", objToVar(&shellRegistry));

    QVERIFY(registerEventHandler(QStringLiteral("t_deals"), dealsReminder, QStringLiteral("deals")));
    QCOMPARE(registerEventHandler(second, otherReminder, QStringLiteral("other")), secondRegistered);

    const eventHandlerInfo found = getEventHandler(lookup);
    QCOMPARE(found.module, expectedModule);
    const eventHandlerFunc expectedHandler = expectedModule == QLatin1String("deals") ? dealsReminder
        : expectedModule == QLatin1String("other")                                 ? otherReminder
                                                                                    : nullptr;
    QVERIFY(found.handler == expectedHandler);
}

void TestShellServices::registryMissingOrHandlerNull()
{
    QVERIFY(!registerEventHandler(QStringLiteral("t_deals"), dealsReminder, QStringLiteral("deals")));
    QVERIFY(getEventHandler(QStringLiteral("t_deals")).module.isEmpty());

    qApp->setProperty("EventHandlers", objToVar(nullptr));
    QVERIFY(!registerEventHandler(QStringLiteral("t_deals"), dealsReminder, QStringLiteral("deals")));
    QVERIFY(!getEventHandler(QStringLiteral("t_deals")).handler);

    eventHandlerRegistry shellRegistry;
    qApp->setProperty("EventHandlers", objToVar(&shellRegistry));
    QVERIFY(!registerEventHandler(QStringLiteral("t_deals"), nullptr, QStringLiteral("deals")));
    QVERIFY(shellRegistry.isEmpty());
    // A refused null handler does not block the table for a real one.
    QVERIFY(registerEventHandler(QStringLiteral("t_deals"), dealsReminder, QStringLiteral("deals")));
}

void TestShellServices::fileVersion_data()
{
    QTest::addColumn<QString>("path");
    QTest::addColumn<QString>("expected");

    // The project's version in four parts, as the build embeds it.
    QStringList parts = QStringLiteral(PROJECT_VERSION).split(QLatin1Char('.'));
    while (parts.size() < 4)
        parts << QStringLiteral("0");
    const QString project = parts.join(QLatin1Char('.'));
    QTest::newRow("this library") << QStringLiteral(DEALS_LIBRARY_FILE) << project;
    QTest::newRow("database driver") << QStringLiteral(DRIVER_LIBRARY_FILE) << project;
    QTest::newRow("older module build") << versionedBuild(QStringLiteral("old")) << "1.0.0.1";
    QTest::newRow("newer module build") << versionedBuild(QStringLiteral("new")) << "1.0.0.2";
    QTest::newRow("library without a record")
        << QLibraryInfo::location(QLibraryInfo::LibrariesPath) + QStringLiteral("/libQt5Core.so.5") << "0.0.0.0";
    QTest::newRow("not a library") << QStringLiteral(__FILE__) << "0.0.0.0";
    QTest::newRow("missing file") << modulesDir + QStringLiteral("/nothing.so") << "0.0.0.0";
    QTest::newRow("empty path") << QString() << "0.0.0.0";
}

void TestShellServices::fileVersion()
{
    QFETCH(QString, path);
    QFETCH(QString, expected);
    QCOMPARE(stringVersion(::fileVersion(path)), expected);
    QCOMPARE(fileVersionW(path), ::fileVersion(path));
}

void TestShellServices::stringFileInfo_data()
{
    QTest::addColumn<QString>("path");
    QTest::addColumn<QString>("key");
    QTest::addColumn<QStringList>("languages");
    QTest::addColumn<QString>("expected");

    const QString old = versionedBuild(QStringLiteral("old"));
    const QStringList russian{QStringLiteral("041904b0")};
    QTest::newRow("file version") << old << "FileVersion" << russian << "1.0.0.1";
    QTest::newRow("internal name") << old << "InternalName" << russian << "versionedlib_old";
    QTest::newRow("language in capitals, second in list")
        << old << "FileVersion" << QStringList{QStringLiteral("040904b0"), QStringLiteral("041904B0")} << "1.0.0.1";
    QTest::newRow("language not held") << old << "FileVersion" << QStringList{QStringLiteral("040904b0")} << "";
    QTest::newRow("no languages") << old << "FileVersion" << QStringList() << "";
    QTest::newRow("unknown key") << old << "CompanyName" << russian << "";
    QTest::newRow("file without a record") << QStringLiteral(__FILE__) << "FileVersion" << russian << "";
}

void TestShellServices::stringFileInfo()
{
    QFETCH(QString, path);
    QFETCH(QString, key);
    QFETCH(QStringList, languages);
    QFETCH(QString, expected);
    QCOMPARE(strFileInfoW(path, key, languages), expected);
    QCOMPARE(stringFileInfoVar(path, key, languages), expected);
}

void TestShellServices::loadWithRepository_data()
{
    QTest::addColumn<QString>("localBuild");
    QTest::addColumn<QString>("repoBuild");
    QTest::addColumn<bool>("withRepository");
    QTest::addColumn<QString>("expectedBuild");

    QTest::newRow("repository newer") << "old" << "new" << true << "1.0.0.2";
    QTest::newRow("repository older") << "new" << "old" << true << "1.0.0.2";
    QTest::newRow("same version") << "old" << "old" << true << "1.0.0.1";
    QTest::newRow("no repository") << "old" << "new" << false << "1.0.0.1";
    QTest::newRow("only in repository") << "" << "new" << true << "1.0.0.2";
    QTest::newRow("damaged file in repository") << "old" << "damaged" << true << "1.0.0.1";
    QTest::newRow("missing everywhere") << "" << "" << true << "";
}

void TestShellServices::loadWithRepository()
{
    QFETCH(QString, localBuild);
    QFETCH(QString, repoBuild);
    QFETCH(bool, withRepository);
    QFETCH(QString, expectedBuild);

    QTemporaryDir libDir;
    QTemporaryDir repoDir;
    QVERIFY(libDir.isValid() && repoDir.isValid());
    const QString localFile = libDir.filePath(versionedFile);
    if (!localBuild.isEmpty())
        QVERIFY(QFile::copy(versionedBuild(localBuild), localFile));
    if (repoBuild == QLatin1String("damaged")) {
        // A copy cut short keeps its header but loses the record: it must not replace a good file.
        QFile source(versionedBuild(QStringLiteral("new")));
        QFile damaged(repoDir.filePath(versionedFile));
        QVERIFY(source.open(QIODevice::ReadOnly) && damaged.open(QIODevice::WriteOnly));
        damaged.write(source.read(4096));
    } else if (!repoBuild.isEmpty()) {
        QVERIFY(QFile::copy(versionedBuild(repoBuild), repoDir.filePath(versionedFile)));
    }
    qApp->setProperty("libDir", libDir.path());
    qApp->setProperty("repoPath", withRepository ? repoDir.path() : QString());

    ShellLibraries shell;
    MessageLog log;
    QLibrary *library = shell.list.getLibrary(QStringLiteral("versionedlib"), true);

    const bool updated = log.contains(QStringLiteral("UPDATING: versionedlib.so"));
    QCOMPARE(updated, expectedBuild == QLatin1String("1.0.0.2") && localBuild != QLatin1String("new"));
    if (expectedBuild.isEmpty()) {
        QVERIFY(!library);
        QVERIFY(shell.list.isEmpty());
        QVERIFY(log.contains(QStringLiteral("ERROR LOADING LIBRARY: versionedlib :: ")));
        return;
    }
    QVERIFY(library);
    QVERIFY(library->isLoaded());
    using BuildFunc = QString (*)();
    const auto libraryBuild = reinterpret_cast<BuildFunc>(library->resolve("libraryBuild"));
    QVERIFY(libraryBuild);
    QCOMPARE(libraryBuild(), expectedBuild);
    QCOMPARE(library->property("version").toString(), expectedBuild);
    QCOMPARE(stringVersion(::fileVersion(localFile)), expectedBuild);
    QCOMPARE(shell.list.size(), 1);
    QCOMPARE(shell.list.first().name, QStringLiteral("versionedlib"));
    QCOMPARE(shell.list.first().flag, true);
}

void TestShellServices::lookupIgnoresCase()
{
    QTemporaryDir libDir;
    QVERIFY(QFile::copy(versionedBuild(QStringLiteral("old")), libDir.filePath(versionedFile)));
    qApp->setProperty("libDir", libDir.path());

    ShellLibraries shell;
    QVERIFY(!shell.list.getLibrary(QString(), false));
    QLibrary *library = shell.list.getLibrary(versionedFile, false);
    QVERIFY(library);
    // Loaded once: later look-ups in any letter case find it without touching the disk.
    QVERIFY(QFile::remove(libDir.filePath(versionedFile)));
    QCOMPARE(shell.list.getLibrary(QStringLiteral("VERSIONEDLIB.SO"), true), library);
    QCOMPARE(shell.list.getLibrary(QStringLiteral("VersionedLib.so"), true), library);
    QCOMPARE(shell.list.size(), 1);
    QCOMPARE(shell.list.first().flag, false);
}

void TestShellServices::translation_data()
{
    QTest::addColumn<QString>("locale");
    QTest::addColumn<bool>("catalogueExists");
    QTest::addColumn<int>("translators");
    QTest::addColumn<bool>("complains");

    QTest::newRow("catalogue found") << "ru" << true << 1 << false;
    QTest::newRow("catalogue missing") << "ru" << false << 0 << true;
    QTest::newRow("default language") << "default" << true << 0 << false;
    QTest::newRow("no language") << "" << true << 0 << false;
}

void TestShellServices::translation()
{
    QFETCH(QString, locale);
    QFETCH(bool, catalogueExists);
    QFETCH(int, translators);
    QFETCH(bool, complains);

    QTemporaryDir libDir;
    QTemporaryDir localeDir;
    QVERIFY(QFile::copy(versionedBuild(QStringLiteral("old")), libDir.filePath(versionedFile)));
    if (catalogueExists) {
        // An empty but valid translation catalogue: just the file magic.
        static const char magic[] = {'\x3c', '\xb8', '\x64', '\x18', '\xca', '\xef', '\x9c', '\x95',
                                     '\xcd', '\x21', '\x1c', '\xbf', '\x60', '\xa1', '\xbd', '\xdd'};
        QFile catalogue(localeDir.filePath(QStringLiteral("versioned_%1.qm").arg(locale)));
        QVERIFY(catalogue.open(QIODevice::WriteOnly));
        catalogue.write(magic, sizeof magic);
    }
    qApp->setProperty("libDir", libDir.path());
    qApp->setProperty("Locale", locale);
    qApp->setProperty("LocaleDir", localeDir.path());

    ShellLibraries shell;
    MessageLog log;
    QVERIFY(shell.list.getLibrary(QStringLiteral("versionedlib"), false));

    // A loaded translator stays with the application; one that failed to load is dropped.
    const auto installed = qApp->findChildren<QTranslator *>(QString(), Qt::FindDirectChildrenOnly);
    QCOMPARE(installed.size(), translators);
    QCOMPARE(log.contains(QStringLiteral(" can not load")), complains);
}

void TestShellServices::libDirFunctions_data()
{
    QTest::addColumn<QString>("libDir");
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("expectedPath");
    QTest::addColumn<bool>("expectIcon");

    const QString old = modulesDir + QStringLiteral("/old");
    QTest::newRow("module with an icon") << old << "versionedlib" << old + QStringLiteral("/versionedlib") << true;
    QTest::newRow("module without an icon")
        << modulesDir + QStringLiteral("/siblings") << "FamilyParameters"
        << modulesDir + QStringLiteral("/siblings/FamilyParameters") << false;
    QTest::newRow("missing module") << old << "nothing" << old + QStringLiteral("/nothing") << false;
    QTest::newRow("no library folder") << "" << "versionedlib" << "" << false;
}

void TestShellServices::libDirFunctions()
{
    QFETCH(QString, libDir);
    QFETCH(QString, name);
    QFETCH(QString, expectedPath);
    QFETCH(bool, expectIcon);

    qApp->setProperty("libDir", libDir);
    QCOMPARE(getLibDirFile(name), expectedPath);
    QCOMPARE(getLibIcon(name).isNull(), !expectIcon);
}

void TestShellServices::siblingCalls_data()
{
    QTest::addColumn<bool>("withLibDir");
    QTest::addColumn<QString>("call");
    QTest::addColumn<QStringList>("expectedCalls");
    QTest::addColumn<bool>("expectWidget");

    const QString history = QStringLiteral("getItemHistoryReport(42,host)");
    QTest::newRow("item history") << true << "showItemHistoryReport" << QStringList{history} << false;
    QTest::newRow("item history, no library folder") << false << "showItemHistoryReport" << QStringList() << false;
    QTest::newRow("family parameters")
        << true << "getFamilyParameters"
        << QStringList{QStringLiteral("getFamilyParameters(host)"),
                       QStringLiteral("setIDFamilyParameters(familyParameters,7)")}
        << true;
    QTest::newRow("family parameters, no library folder") << false << "getFamilyParameters" << QStringList() << false;
    QTest::newRow("entry point missing") << true << "showFamilyDetailDialog" << QStringList() << false;
    QTest::newRow("design documentation missing") << true << "getDesignDocumentation" << QStringList() << false;
    QTest::newRow("process technology missing") << true << "showProcessTechnologyEditor" << QStringList() << false;
    QTest::newRow("item history by item, no connection") << true << "showItemHistoryReportByItem" << QStringList()
                                                         << false;
}

void TestShellServices::siblingCalls()
{
    QFETCH(bool, withLibDir);
    QFETCH(QString, call);
    QFETCH(QStringList, expectedCalls);
    QFETCH(bool, expectWidget);

    qApp->setProperty("libDir", withLibDir ? modulesDir + QStringLiteral("/siblings") : QString());
    QWidget host;
    host.setObjectName(QStringLiteral("host"));
    QPointer<QWidget> widget;

    if (call == QLatin1String("showItemHistoryReport")) {
        showItemHistoryReport(42, &host);
    } else if (call == QLatin1String("showItemHistoryReportByItem")) {
        showItemHistoryReportByItem(42, &host);
    } else if (call == QLatin1String("getFamilyParameters")) {
        widget = getFamilyParameters(&host);
        setIDFamilyParameters(widget, 7);
    } else if (call == QLatin1String("showFamilyDetailDialog")) {
        showFamilyDetailDialog(7, &host);
    } else if (call == QLatin1String("getDesignDocumentation")) {
        widget = getDesignDocumentation(&host);
        setIDVersionDesignDocumentation(widget, 1);
        setIDProductDesignDocumentation(widget, 2);
    } else if (call == QLatin1String("showProcessTechnologyEditor")) {
        showProcessTechnologyEditor(1, 2, &host);
    } else {
        QFAIL("unknown call");
    }

    QCOMPARE(qApp->property("siblingCalls").toStringList(), expectedCalls);
    QCOMPARE(!widget.isNull(), expectWidget);
    if (widget)
        QCOMPARE(widget->parentWidget(), &host);
}

void TestShellServices::mergeDocument_data()
{
    QTest::addColumn<bool>("withList");
    QTest::addColumn<QString>("libName");
    QTest::addColumn<bool>("merged");

    QTest::newRow("module with a document") << true << "DocumentModule" << true;
    QTest::newRow("no such library") << true << "NoSuchModule" << false;
    QTest::newRow("library without a document") << true << "versionedlib" << false;
    QTest::newRow("no library list") << false << "DocumentModule" << false;
}

void TestShellServices::mergeDocument()
{
    QFETCH(bool, withList);
    QFETCH(QString, libName);
    QFETCH(bool, merged);

    QTemporaryDir libDir;
    QVERIFY(QFile::copy(modulesDir + QStringLiteral("/documents/DocumentModule.so"), libDir.filePath(QStringLiteral("DocumentModule.so"))));
    QVERIFY(QFile::copy(modulesDir + QStringLiteral("/old/versionedlib.so"), libDir.filePath(QStringLiteral("versionedlib.so"))));
    qApp->setProperty("libDir", libDir.path());
    std::unique_ptr<ShellLibraries> shell(withList ? new ShellLibraries : nullptr);

    QDataSet document;
    auto *own = new QDataTable(QStringLiteral("t_own"), nullptr, &document);
    document.addTable(own);
    if (withList && libName == QLatin1String("NoSuchModule"))
        QTest::ignoreMessage(QtDebugMsg, QRegularExpression(QStringLiteral("^ERROR LOADING LIBRARY: NoSuchModule")));
    QCOMPARE(::mergeDocument(libName, &document, nullptr), merged);
    QCOMPARE(document.tables(), merged ? (QStringList{"t_own", "t_dictionary"}) : QStringList{"t_own"});
    QCOMPARE(document.links().size(), merged ? 1 : 0);
    if (merged)
        QCOMPARE(document.getTable(QStringLiteral("t_dictionary"))->columns().size(), 2);
}

void TestShellServices::dialogBounds_data()
{
    QTest::addColumn<QString>("windowName");
    QTest::addColumn<QRect>("windowGeometry");
    QTest::addColumn<QRect>("expected");

    QTest::newRow("workplace window") << "WorkplaceWindowWindow" << QRect(100, 50, 800, 600) << QRect(120, 70, 760, 560);
    QTest::newRow("other shell's window") << "ZMAWindow" << QRect(0, 0, 641, 481) << QRect(20, 20, 601, 441);
    QTest::newRow("unrelated window") << "MainWindow" << QRect(100, 50, 800, 600) << QRect();
    QTest::newRow("no window") << "" << QRect() << QRect();
}

void TestShellServices::dialogBounds()
{
    QFETCH(QString, windowName);
    QFETCH(QRect, windowGeometry);
    QFETCH(QRect, expected);

    std::unique_ptr<QWidget> window;
    if (!windowName.isEmpty()) {
        window = std::make_unique<QWidget>();
        window->setObjectName(windowName);
        window->setGeometry(windowGeometry);
    }
    const QRect result = bounds();
    QCOMPARE(result, expected);
    QCOMPARE(result.isNull(), expected.isNull());
}

QTEST_MAIN(TestShellServices)
#include "tst_shellservices.moc"
