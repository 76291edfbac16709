// Free text in the editors is spell-checked: in each form a misspelled word is
// underlined, corrected from the context menu as a person would, the form
// takes the correction as a change of its own, and what it saves is the
// corrected text.

#include "spelltesting.h"
#include "suppliersfixture.h"

#include "suppliers/contractorauditdialog.h"
#include "suppliers/contractordataset.h"
#include "suppliers/qcommentdialog.h"
#include "suppliers/supplierdirectoryeditor.h"

#include <QDialogButtonBox>
#include <QPushButton>
#include <QtTest>

#include <memory>

using namespace SpellTesting;
using namespace SuppliersFixture;

class tst_SpellFields : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void init();
    void cleanup();

    void correctedInForm_data();
    void correctedInForm();

private:
    QLibrary m_driver;
    QSqlConnection m_connection;
    QWidget *m_owner = nullptr;
};

enum class Form { SupplierComment, AuditNote, CommentDialog, ViewedComment };
Q_DECLARE_METATYPE(Form)

void tst_SpellFields::initTestCase()
{
    QString error;
    QVERIFY2(prepare(QStringLiteral("tst_spellfields"), &m_driver, &m_connection, &error), qPrintable(error));
}

void tst_SpellFields::init()
{
    QString error;
    QVERIFY2(reset(&m_connection, &error), qPrintable(error));
    m_owner = new QWidget;
}

void tst_SpellFields::cleanup()
{
    delete m_owner;
    m_owner = nullptr;
}

void tst_SpellFields::correctedInForm_data()
{
    QTest::addColumn<Form>("form");
    QTest::addColumn<QString>("typed");
    QTest::addColumn<QString>("misspelled");
    QTest::addColumn<QString>("correction");
    QTest::addColumn<bool>("editable");

    QTest::newRow("supplier comment") << Form::SupplierComment
                                      << QStringLiteral("Надёжный поставщик литья, сроки соблюдает.\n"
                                                        "Оплата после приёмки, скитка пять процентов.")
                                      << QStringLiteral("скитка") << QStringLiteral("скидка") << true;
    QTest::newRow("audit note") << Form::AuditNote
                                << QStringLiteral("Проверили литейный участок: паспорт плавки с ашибкой, "
                                                  "остальное в порядке.")
                                << QStringLiteral("ашибкой") << QStringLiteral("ошибкой") << true;
    QTest::newRow("comment") << Form::CommentDialog
                             << QStringLiteral("Сменили банк, новые реквизиты прислали пачтой.")
                             << QStringLiteral("пачтой") << QStringLiteral("почтой") << true;
    // A comment opened for viewing shows the mistake but offers nothing that would change it.
    QTest::newRow("viewed comment") << Form::ViewedComment
                                    << QStringLiteral("Сменили банк, новые реквизиты прислали пачтой.")
                                    << QStringLiteral("пачтой") << QStringLiteral("почтой") << false;
}

void tst_SpellFields::correctedInForm()
{
    QFETCH(Form, form);
    QFETCH(QString, typed);
    QFETCH(QString, misspelled);
    QFETCH(QString, correction);
    QFETCH(bool, editable);

    SupplierDirectoryEditor *supplier = nullptr;
    QWidget *editor = nullptr;
    QAbstractButton *accept = nullptr;
    switch (form) {
    case Form::SupplierComment: {
        QDataSet *set = ContractorDataSet::create(ContractorDataSet::Editor, m_owner);
        supplier = new SupplierDirectoryEditor(set, m_owner);
        supplier->setData(contractor(set, 1));
        editor = supplier->teComment;
        break;
    }
    case Form::AuditNote: {
        auto *dialog = new ContractorAuditDialog(m_owner);
        dialog->setContractor(QStringLiteral("ООО «Альфа»"));
        editor = dialog->plainTextEditComment;
        accept = dialog->pushButtonAccept;
        break;
    }
    case Form::CommentDialog: {
        auto *dialog = new QCommentDialog(QString(), false, m_owner);
        editor = dialog->teComment;
        accept = dialog->buttonBox->button(QDialogButtonBox::Ok);
        break;
    }
    case Form::ViewedComment:
        editor = (new QCommentDialog(typed, true, m_owner))->teComment;
        break;
    }
    QVERIFY(editor);
    // Shown, as a person sees it: the menu finds the word by its place on the screen.
    editor->window()->resize(800, 600);
    editor->window()->show();
    if (supplier)
        supplier->tabWidget->setCurrentIndex(0);

    if (auto *plain = qobject_cast<QPlainTextEdit *>(editor)) {
        if (!plain->isReadOnly())
            plain->setPlainText(typed);
    } else {
        qobject_cast<QTextEdit *>(editor)->setPlainText(typed);
    }
    QCOMPARE(underlined(editor), QStringList{misspelled});

    // The correction is an edit of the form like any other.
    std::unique_ptr<QSignalSpy> changed;
    if (supplier)
        changed.reset(new QSignalSpy(supplier, &SupplierDirectoryEditor::dataChanged));
    std::unique_ptr<QMenu> menu(menuOnWord(editor, misspelled));
    QVERIFY2(menu, "no spelling menu over the word");
    QAction *fix = nullptr;
    QStringList offered;
    for (QAction *action : menu->actions()) {
        offered.append(action->text());
        if (action->isVisible() && action->text() == correction)
            fix = action;
    }
    if (!editable) {
        QVERIFY2(!fix, qPrintable(offered.join(QLatin1Char('|'))));
        QCOMPARE(documentOf(editor)->toPlainText(), typed);
        return;
    }
    QVERIFY2(fix, qPrintable(offered.join(QLatin1Char('|'))));
    fix->trigger();

    const QString corrected = QString(typed).replace(misspelled, correction);
    QCOMPARE(documentOf(editor)->toPlainText(), corrected);
    QCOMPARE(underlined(editor), QStringList());
    if (accept)
        QVERIFY(accept->isEnabled());
    if (!supplier)
        return;

    QVERIFY(changed->count() > 0);
    QVERIFY(supplier->commit());
    QCOMPARE(scalar(&m_connection, QStringLiteral("select c_comment from jur.t_contractor where id = 1")).toString(),
             corrected);
}

QTEST_MAIN(tst_SpellFields)
#include "tst_spellfields.moc"
