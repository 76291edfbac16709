// Spell-checked editors over Debian's Russian Hunspell dictionary: what gets
// underlined, the context menu's corrections, ignored and added words, a
// dictionary in another encoding, and editors without a dictionary.

#include "personaldictionary.h"
#include "spelldictionary.h"
#include "spelllineedit.h"
#include "spellsupport.h"
#include "spelltesting.h"
#include "typing.h"

#include <QClipboard>
#include <QDialog>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTextCodec>
#include <QVBoxLayout>
#include <QtTest>

#include <memory>

using namespace SpellTesting;

class tst_Spell : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void cleanup();

    void underlines_data();
    void underlines();
    void contextMenu_data();
    void contextMenu();
    void ignoredWordOnlyInItsEditor();
    void addedWordLastsInNewEditors();
    void dictionaryInItsOwnEncoding();
    void dictionaryLookup();
    void missingDictionary();
    void lineEdit();

private:
    QWidget *makeEditor(const QString &kind, const QString &text);
    QString writeKoi8Dictionary(const QString &folder, const QString &name);

    std::unique_ptr<QWidget> m_window;
};

void tst_Spell::initTestCase()
{
    QStandardPaths::setTestModeEnabled(true);
    QFile::remove(PersonalDictionary::instance()->fileName());
    PersonalDictionary::instance()->reload();
    QVERIFY2(QFileInfo(SpellDictionary::locate(SpellSupport::defaultDictionary())).isReadable(),
             "the Russian dictionary (hunspell-ru) is needed");
}

void tst_Spell::cleanup()
{
    m_window.reset();
}

QWidget *tst_Spell::makeEditor(const QString &kind, const QString &text)
{
    if (!m_window) {
        m_window = std::make_unique<QWidget>();
        new QVBoxLayout(m_window.get());
        m_window->resize(700, 500);
        m_window->show();
    }
    QWidget *editor = nullptr;
    if (kind == QLatin1String("rich")) {
        auto *rich = new SpellTextEdit(m_window.get());
        rich->setPlainText(text);
        editor = rich;
    } else if (kind == QLatin1String("plain")) {
        auto *plain = new SpellPlainTextEdit(m_window.get());
        plain->setPlainText(text);
        editor = plain;
    } else {
        auto *line = new SpellLineEdit(m_window.get());
        line->setPlainText(text);
        editor = line;
    }
    m_window->layout()->addWidget(editor);
    editor->show();
    QCoreApplication::processEvents();
    return editor;
}

void tst_Spell::underlines_data()
{
    QTest::addColumn<QString>("kind");
    QTest::addColumn<QString>("text");
    QTest::addColumn<QStringList>("expected");

    const QStringList kinds{QStringLiteral("rich"), QStringLiteral("plain"), QStringLiteral("line")};
    for (const QString &kind : kinds) {
        const auto row = [&kind](const char *name) -> QTestData & {
            return QTest::newRow(qPrintable(kind + QLatin1String(": ") + QLatin1String(name))) << kind;
        };
        row("correct text") << QStringLiteral("Поставщик подтвердил отгрузку товара; счёт-фактура пришла вовремя.")
                            << QStringList();
        row("misspellings") << QStringLiteral("Мы купили молако и хлеп на складе.")
                            << QStringList{QStringLiteral("молако"), QStringLiteral("хлеп")};
        row("three times in a block") << QStringLiteral("молако, молако и снова молако")
                                      << QStringList{QStringLiteral("молако"), QStringLiteral("молако"), QStringLiteral("молако")};
        row("case matters") << QStringLiteral("Москва, а не москва") << QStringList{QStringLiteral("москва")};
        row("one letter never") << QStringLiteral("я ж ы и в") << QStringList();
        row("numbers and abbreviations") << QStringLiteral("Счёт № 15/24 от 12.03.2024 на 1 500,00 руб.") << QStringList();
        row("ё and е") << QStringLiteral("ёлка и елка") << QStringList();
        row("Latin word") << QStringLiteral("Отчёт в формате PDF") << QStringList{QStringLiteral("PDF")};
        row("markup after a backslash") << QStringLiteral("\\textbf{молоко} \\molako") << QStringList();
        row("words glued by a comma") << QStringLiteral("молоко,хлеб") << QStringList{QStringLiteral("молоко,хлеб")};
    }
    QTest::newRow("plain: each paragraph on its own") << QStringLiteral("plain")
                                                      << QStringLiteral("Первый абзац без ошибок.\nВторой с ашибкой.\n\nТретий с ашибкой тоже.")
                                                      << QStringList{QStringLiteral("ашибкой"), QStringLiteral("ашибкой")};
}

void tst_Spell::underlines()
{
    QFETCH(QString, kind);
    QFETCH(QString, text);
    QFETCH(QStringList, expected);
    QWidget *editor = makeEditor(kind, text);
    QCOMPARE(underlined(editor), expected);

    // Typing a misspelled word at the end underlines it too.
    if (kind == QLatin1String("line"))
        return;
    QTest::keyClick(editor, Qt::Key_End, Qt::ControlModifier);
    typeText(editor, QStringLiteral(" карова"));
    QCOMPARE(underlined(editor), expected + QStringList{QStringLiteral("карова")});
}

void tst_Spell::contextMenu_data()
{
    QTest::addColumn<QString>("kind");
    QTest::addColumn<QString>("word");
    QTest::addColumn<QString>("correction");

    for (const QString &kind : {QStringLiteral("rich"), QStringLiteral("plain")}) {
        QTest::newRow(qPrintable(kind + QLatin1String(": misspelled"))) << kind << QStringLiteral("молако") << QStringLiteral("молоко");
        QTest::newRow(qPrintable(kind + QLatin1String(": correct"))) << kind << QStringLiteral("склад") << QString();
        QTest::newRow(qPrintable(kind + QLatin1String(": no suggestions"))) << kind << QStringLiteral("PDF") << QString();
    }
}

// A misspelled word offers to be ignored, added or corrected, and the
// correction replaces it; other words get the editor's usual menu.
void tst_Spell::contextMenu()
{
    QFETCH(QString, kind);
    QFETCH(QString, word);
    QFETCH(QString, correction);
    QWidget *editor = makeEditor(kind, QStringLiteral("Привезли на склад молако в формате PDF."));

    std::unique_ptr<QMenu> plainMenu(menuOnWord(editor, QStringLiteral("Привезли")));
    std::unique_ptr<QMenu> menu(menuOnWord(editor, word));
    QAction *ignore = menuAction(menu.get(), QStringLiteral("Игнорировать .."));
    QAction *add = menuAction(menu.get(), QStringLiteral("Добавить в словарь"));
    if (correction.isEmpty()) {
        QVERIFY(!ignore);
        QVERIFY(!add);
        QCOMPARE(menu->actions().size(), plainMenu->actions().size());
        return;
    }
    QVERIFY(ignore && add);
    const QList<QAction *> actions = menu->actions();
    const QList<QAction *> suggestions = actions.mid(actions.indexOf(add) + 1);
    QVERIFY(!suggestions.isEmpty());
    QVERIFY(suggestions.size() <= 5);
    QVERIFY(actions.at(actions.indexOf(ignore) - 1)->isSeparator());
    QStringList texts;
    for (QAction *suggestion : suggestions) {
        QVERIFY(suggestion->isVisible());
        texts.append(suggestion->text());
    }
    QVERIFY2(texts.contains(correction), qPrintable(texts.join(QLatin1Char(','))));
    QCOMPARE(texts, propositions(editor, word).mid(0, 5));

    menuAction(menu.get(), correction)->trigger();
    QCOMPARE(documentOf(editor)->toPlainText(), QStringLiteral("Привезли на склад молоко в формате PDF."));
    QCOMPARE(underlined(editor), QStringList{QStringLiteral("PDF")});
}

void tst_Spell::ignoredWordOnlyInItsEditor()
{
    const QString text = QStringLiteral("Купили хлеп. Опять хлеп!");
    QWidget *first = makeEditor(QStringLiteral("plain"), text);
    QWidget *second = makeEditor(QStringLiteral("rich"), text);
    std::unique_ptr<QMenu> menu(menuOnWord(first, QStringLiteral("хлеп"), 1));
    menuAction(menu.get(), QStringLiteral("Игнорировать .."))->trigger();

    QCOMPARE(underlined(first), QStringList());
    QVERIFY(propositions(first, QStringLiteral("хлеп")).isEmpty());
    QCOMPARE(underlined(second), (QStringList{QStringLiteral("хлеп"), QStringLiteral("хлеп")}));
    QWidget *third = makeEditor(QStringLiteral("plain"), text);
    QCOMPARE(underlined(third).size(), 2);
    QVERIFY(!QFile::exists(PersonalDictionary::instance()->fileName()));
}

void tst_Spell::addedWordLastsInNewEditors()
{
    const QString text = QStringLiteral("Наша карова дала молоко.");
    QWidget *first = makeEditor(QStringLiteral("rich"), text);
    QWidget *other = makeEditor(QStringLiteral("plain"), text);
    QCOMPARE(underlined(other), QStringList{QStringLiteral("карова")});
    std::unique_ptr<QMenu> menu(menuOnWord(first, QStringLiteral("карова")));
    QAction *add = menuAction(menu.get(), QStringLiteral("Добавить в словарь"));
    QVERIFY(add);
    add->trigger();

    QCOMPARE(underlined(first), QStringList());
    QCOMPARE(underlined(other), QStringList());
    QWidget *fresh = makeEditor(QStringLiteral("line"), text);
    QCOMPARE(underlined(fresh), QStringList());

    QFile file(PersonalDictionary::instance()->fileName());
    QVERIFY(file.open(QIODevice::ReadOnly));
    QCOMPARE(QString::fromUtf8(file.readAll()), QStringLiteral("карова\n"));

    // A later session reads the file: its dictionaries accept the word from the start.
    menu.reset();
    m_window.reset();
    PersonalDictionary::instance()->reload();
    QCOMPARE(PersonalDictionary::instance()->words(), QStringList{QStringLiteral("карова")});
    QCOMPARE(underlined(makeEditor(QStringLiteral("plain"), text)), QStringList());
}

QString tst_Spell::writeKoi8Dictionary(const QString &folder, const QString &name)
{
    QTextCodec *koi8 = QTextCodec::codecForName("KOI8-R");
    QFile aff(folder + QLatin1Char('/') + name + QStringLiteral(".aff"));
    aff.open(QIODevice::WriteOnly);
    aff.write("SET KOI8-R\n" + koi8->fromUnicode(QStringLiteral("TRY оаеитнрслвкмдпуяыьгзбчйхжшюцщэфёъ\n")));
    QFile dic(folder + QLatin1Char('/') + name + QStringLiteral(".dic"));
    dic.open(QIODevice::WriteOnly);
    dic.write(koi8->fromUnicode(QStringLiteral("4\nслон\nкорова\nмолоко\nсклад\n")));
    return dic.fileName();
}

void tst_Spell::dictionaryInItsOwnEncoding()
{
    QTemporaryDir dir;
    const QString path = writeKoi8Dictionary(dir.path(), QStringLiteral("koi8"));
    auto *editor = qobject_cast<SpellPlainTextEdit *>(makeEditor(QStringLiteral("plain"), QString()));
    editor->setDict(path);
    editor->setPlainText(QStringLiteral("слон корова слно дом"));
    QCOMPARE(underlined(editor), (QStringList{QStringLiteral("слно"), QStringLiteral("дом")}));
    QVERIFY(editor->getWordPropositions(QStringLiteral("слно")).contains(QStringLiteral("слон")));
    QCOMPARE(SpellDictionary::open(path)->encoding(), QStringLiteral("KOI8-R"));
}

void tst_Spell::dictionaryLookup()
{
    // A relative path is looked up next to the library first, then among the system's dictionaries.
    QCOMPARE(SpellDictionary::locate(QStringLiteral("./Dict/ru_RU.dic")), QStringLiteral("/usr/share/hunspell/ru_RU.dic"));
    const QString beside = QCoreApplication::applicationDirPath() + QStringLiteral("/Dict");
    QVERIFY(QDir().mkpath(beside));
    const QString local = writeKoi8Dictionary(beside, QStringLiteral("tst_spell_local"));
    QCOMPARE(SpellDictionary::locate(QStringLiteral("./Dict/tst_spell_local.dic")), local);
    QVERIFY(SpellDictionary::open(QStringLiteral("./Dict/tst_spell_local.dic")));
    QFile::remove(local);
    QFile::remove(beside + QStringLiteral("/tst_spell_local.aff"));
    QDir().rmdir(beside);
    QCOMPARE(SpellDictionary::locate(QStringLiteral("/nowhere/ru_RU.dic")), QStringLiteral("/nowhere/ru_RU.dic"));
}

void tst_Spell::missingDictionary()
{
    for (const QString &kind : {QStringLiteral("rich"), QStringLiteral("plain")}) {
        QWidget *editor = makeEditor(kind, QStringLiteral("Купили молако."));
        QTest::ignoreMessage(QtWarningMsg, QRegularExpression(QStringLiteral("No spelling dictionary at .*xx_XX.dic")));
        QTest::ignoreMessage(QtWarningMsg, QRegularExpression(QStringLiteral("No spelling dictionary at .*xx_XX.dic")));
        Highlighter *highlighter = setDictionary(editor, QStringLiteral("/nowhere/xx_XX.dic"));
        QVERIFY(propositions(editor, QStringLiteral("молако")).isEmpty());
        QVERIFY(highlighter->hasDictionaryError());
        highlighter->enableSpellChecking(true);
        QVERIFY(!highlighter->isSpellCheckingActive());
        QCOMPARE(underlined(editor), QStringList());

        std::unique_ptr<QMenu> plainMenu(menuOnWord(editor, QStringLiteral("Купили")));
        std::unique_ptr<QMenu> menu(menuOnWord(editor, QStringLiteral("молако")));
        QCOMPARE(menu->actions().size(), plainMenu->actions().size());

        QTest::keyClick(editor, Qt::Key_End, Qt::ControlModifier);
        typeText(editor, QStringLiteral(" и хлеп"));
        QCOMPARE(documentOf(editor)->toPlainText(), QStringLiteral("Купили молако. и хлеп"));
        QCOMPARE(underlined(editor), QStringList());
    }
}

void tst_Spell::lineEdit()
{
    QDialog dialog;
    auto *edit = new SpellLineEdit(&dialog);
    auto *next = new SpellLineEdit(&dialog);
    auto *ok = new QPushButton(QStringLiteral("ОК"), &dialog);
    ok->setDefault(true);
    connect(ok, &QPushButton::clicked, &dialog, &QDialog::accept);
    auto *layout = new QVBoxLayout(&dialog);
    layout->addWidget(edit);
    layout->addWidget(next);
    layout->addWidget(ok);
    dialog.show();

    QCOMPARE(edit->height(), edit->sizeHint().height());
    QCOMPARE(edit->sizePolicy().verticalPolicy(), QSizePolicy::Fixed);
    QVERIFY(edit->tabChangesFocus());
    QVERIFY(edit->sizeHint().width() > 17 * edit->fontMetrics().horizontalAdvance(QLatin1Char('x')));

    QSignalSpy finished(edit, &SpellTextEdit::editingFinished);
    QSignalSpy accepted(&dialog, &QDialog::accepted);
    typeText(edit, QStringLiteral("Основание"));
    QTest::keyClick(edit, Qt::Key_Return);
    QCOMPARE(edit->text(), QStringLiteral("Основание"));
    QCOMPARE(finished.count(), 1);
    QCOMPARE(accepted.count(), 1);

    QGuiApplication::clipboard()->setText(QStringLiteral("первая строка\nвторая строка"));
    edit->paste();
    QCOMPARE(edit->text(), QStringLiteral("Основаниепервая строка вторая строка"));
    QCOMPARE(edit->document()->blockCount(), 1);
}

QTEST_MAIN(tst_Spell)
#include "tst_spell.moc"
