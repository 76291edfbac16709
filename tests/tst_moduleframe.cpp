// The frame every module shows in the shell: search panel, edit area that tears
// off into a floating window, and the editor frame with "Применить" / "Отмена".

#include "objvar.h"
#include "qdataeditor.h"
#include "qpopupcontainer.h"
#include "quserinterface.h"

#include <QApplication>
#include <QDialog>
#include <QLineEdit>
#include <QPointer>
#include <QPushButton>
#include <QScreen>
#include <QSignalSpy>
#include <QTabWidget>
#include <QTest>
#include <QToolButton>

#include <memory>

namespace {

// A module that counts how often the frame asks it to reconnect or disconnect
// what opens its edit area.
class CountingInterface : public QUserInterface
{
public:
    using QUserInterface::QUserInterface;
    int connects = 0;
    int disconnects = 0;
    bool onConnectPopupEditor() override { return ++connects; }
    bool onDisconnectPopupEditor() override { return ++disconnects; }
};

// An interface with its editor frame docked in the edit area, wired as modules do.
struct Module
{
    CountingInterface ui;
    QDataEditor *frame;

    Module()
        : frame(new QDataEditor(&ui))
    {
        ui.editLayout->addWidget(frame);
        QObject::connect(frame, &QDataEditor::popup, &ui, &QUserInterface::toggleEditorPopup);
        ui.editFrame->show();
        ui.show();
    }
};

} // namespace

class TestModuleFrame : public QObject
{
    Q_OBJECT

private slots:
    void cleanup();

    void tearOffAndDockBack_data();
    void tearOffAndDockBack();
    void popupWindowPlacement();
    void editorDocksIntoItsOwnInterface();
    void floatingEditorLosesItsPlace_data();
    void floatingEditorLosesItsPlace();
    void shellClosesWithAnEditorFloating();

    void findPanel();

    void applyButton_data();
    void applyButton();
    void editorFrame();
    void enterInFloatingEditorDoesNotApply_data();
    void enterInFloatingEditorDoesNotApply();
};

void TestModuleFrame::cleanup()
{
    qApp->setProperty("popupList", QVariant());
    QVERIFY2(!QUserInterface::poppedWidget(), "a test left an editor floating");
}

void TestModuleFrame::tearOffAndDockBack_data()
{
    QTest::addColumn<QString>("dock");
    QTest::addColumn<bool>("publishList");

    QTest::newRow("double click again") << "double click" << true;
    QTest::newRow("toggle with no widget") << "toggle null" << true;
    QTest::newRow("close button") << "close" << true;
    QTest::newRow("escape") << "escape" << true;
    QTest::newRow("OK in the window") << "accept" << true;
    QTest::newRow("shell without a popup list") << "close" << false;
}

void TestModuleFrame::tearOffAndDockBack()
{
    QFETCH(QString, dock);
    QFETCH(bool, publishList);

    QWidgetList popups;
    if (publishList)
        qApp->setProperty("popupList", objToVar(&popups));
    Module module;

    QTest::mouseDClick(module.frame->lbCaption, Qt::LeftButton);
    QPointer<QPopupContainer> window = QUserInterface::popupWindow();
    QVERIFY(window);
    QCOMPARE(QUserInterface::poppedWidget(), module.frame);
    QCOMPARE(module.frame->window(), window.data());
    QVERIFY(window->isVisible());
    QVERIFY(!module.ui.editFrame->isVisible());
    QCOMPARE(module.ui.disconnects, 1);
    QCOMPARE(popups, publishList ? QWidgetList{module.frame} : QWidgetList());

    if (dock == QLatin1String("double click"))
        QTest::mouseDClick(module.frame->lbCaption, Qt::LeftButton);
    else if (dock == QLatin1String("toggle null"))
        module.ui.toggleEditorPopup(nullptr);
    else if (dock == QLatin1String("close"))
        QVERIFY(!window->close());
    else if (dock == QLatin1String("escape"))
        QTest::keyClick(window, Qt::Key_Escape);
    else if (dock == QLatin1String("accept"))
        window->accept();

    QVERIFY(!QUserInterface::poppedWidget());
    QVERIFY2(window, "the floating window is kept for the next tear-off");
    QVERIFY(!window->isVisible());
    QCOMPARE(module.frame->parentWidget(), module.ui.editFrame);
    QVERIFY(module.ui.editFrame->isVisible());
    QCOMPARE(module.ui.connects, 1);
    QVERIFY(popups.isEmpty());

    // Docked: a toggle with no widget has nothing to do.
    module.ui.toggleEditorPopup(nullptr);
    QVERIFY(!QUserInterface::poppedWidget());
    module.ui.backToDock();
    QCOMPARE(module.ui.connects, 1);
}

void TestModuleFrame::popupWindowPlacement()
{
    Module module;
    module.frame->resize(320, 240);

    module.ui.toggleEditorPopup(module.frame);
    QPopupContainer *window = QUserInterface::popupWindow();
    QCOMPARE(window->size(), QSize(320, 240));
    QCOMPARE(window->geometry().center(), QGuiApplication::primaryScreen()->geometry().center());
    QVERIFY(window->windowFlags() & Qt::WindowCloseButtonHint);

    // The user moves the window; the next tear-off reuses it where it was left.
    window->move(15, 25);
    module.ui.backToDock();
    module.ui.toggleEditorPopup(module.frame);
    QCOMPARE(QUserInterface::popupWindow(), window);
    QCOMPARE(window->pos(), QPoint(15, 25));
    module.ui.backToDock();
}

void TestModuleFrame::editorDocksIntoItsOwnInterface()
{
    Module first;
    Module second;

    first.ui.toggleEditorPopup(first.frame);
    // Another module's toggle docks the floating editor home, not into itself.
    second.ui.toggleEditorPopup(second.frame);
    QVERIFY(!QUserInterface::poppedWidget());
    QCOMPARE(first.frame->parentWidget(), first.ui.editFrame);
    QCOMPARE(second.frame->parentWidget(), second.ui.editFrame);
    QCOMPARE(first.ui.connects, 1);
    QCOMPARE(second.ui.connects, 0);

    // The window made by the first module carries the second one's editor and
    // sends it back there when closed; handing it over cuts off no one else
    // listening to it, such as the shell.
    QSignalSpy goBack(QUserInterface::popupWindow(), &QPopupContainer::goBack);
    second.ui.toggleEditorPopup(second.frame);
    QCOMPARE(second.frame->window(), QUserInterface::popupWindow());
    QUserInterface::popupWindow()->close();
    QCOMPARE(goBack.count(), 1);
    QCOMPARE(second.frame->parentWidget(), second.ui.editFrame);
    QCOMPARE(second.ui.connects, 1);
    QCOMPARE(first.ui.connects, 1);
}

void TestModuleFrame::floatingEditorLosesItsPlace_data()
{
    QTest::addColumn<QString>("destroyed");
    QTest::addColumn<bool>("editorSurvives");

    QTest::newRow("its module") << "module" << false;
    QTest::newRow("the editor itself") << "editor" << false;
    // The window is a child of the module that tore an editor off first.
    QTest::newRow("the module that made the window") << "window maker" << true;
}

void TestModuleFrame::floatingEditorLosesItsPlace()
{
    QFETCH(QString, destroyed);
    QFETCH(bool, editorSurvives);

    QWidgetList popups;
    qApp->setProperty("popupList", objToVar(&popups));
    auto windowMaker = std::make_unique<Module>();
    windowMaker->ui.toggleEditorPopup(windowMaker->frame);
    windowMaker->ui.backToDock();

    auto module = std::make_unique<Module>();
    QPointer<QDataEditor> frame = module->frame;
    module->ui.toggleEditorPopup(frame);
    QCOMPARE(frame->window(), QUserInterface::popupWindow());

    if (destroyed == QLatin1String("module"))
        module.reset();
    else if (destroyed == QLatin1String("editor"))
        delete frame.data();
    else if (destroyed == QLatin1String("window maker"))
        windowMaker.reset();

    QCOMPARE(!frame.isNull(), editorSurvives);
    if (frame) {
        QCOMPARE(frame->parentWidget(), module->ui.editFrame);
        QVERIFY(module->ui.editFrame->isVisible());
        QCOMPARE(module->ui.connects, 1);
    }
    QVERIFY(!QUserInterface::poppedWidget());
    QVERIFY2(popups.isEmpty(), "the shell must not keep a gone or docked editor");
    QPopupContainer *window = QUserInterface::popupWindow();
    QVERIFY2(!window || !window->isVisible(), "no empty window is left on screen");

    // The next tear-off works as usual.
    Module next;
    next.ui.toggleEditorPopup(next.frame);
    QVERIFY(QUserInterface::popupWindow()->isVisible());
    QCOMPARE(popups, QWidgetList{next.frame});
    QUserInterface::popupWindow()->close();
    QCOMPARE(next.frame->parentWidget(), next.ui.editFrame);
    QVERIFY(popups.isEmpty());
}

void TestModuleFrame::shellClosesWithAnEditorFloating()
{
    // The shell's main window goes with the module page and, since this module
    // tore an editor off first, with the floating window too.
    auto shell = std::make_unique<QTabWidget>();
    auto *ui = new CountingInterface;
    auto *frame = new QDataEditor(ui);
    ui->editLayout->addWidget(frame);
    QObject::connect(frame, &QDataEditor::popup, ui, &QUserInterface::toggleEditorPopup);
    shell->addTab(ui, QStringLiteral("Сделки"));
    shell->show();
    frame->setFocus();
    ui->toggleEditorPopup(frame);
    QPointer<QDataEditor> watched = frame;

    shell.reset();
    QVERIFY(watched.isNull());
    QVERIFY(!QUserInterface::poppedWidget());
    QVERIFY(!QUserInterface::popupWindow());
}

// Ctrl+F opens and closes the search panel; Enter, the search button and the
// arrows each send their own signal. The icons come with the library: nothing
// but linking it registers them (QIcon is not null even for a missing file,
// only its pixmaps are).
void TestModuleFrame::findPanel()
{
    QUserInterface ui;
    ui.show();
    QVERIFY(QTest::qWaitForWindowExposed(&ui));
    for (const QIcon &icon : {ui.actionFind->icon(), ui.btFindPrev->icon(), ui.btFindNext->icon()})
        QVERIFY(!icon.pixmap(16, 16).isNull());
    QVERIFY(!ui.searchFrame->isVisible());
    QVERIFY(ui.actions().contains(ui.actionFind));
    QCOMPARE(ui.actionFind->shortcut(), QKeySequence(QStringLiteral("Ctrl+F")));
    ui.actionFind->trigger();
    QVERIFY(ui.searchFrame->isVisible());
    QCOMPARE(ui.focusWidget(), ui.edFind);

    QSignalSpy first(&ui, &QUserInterface::findFirst);
    QSignalSpy prev(&ui, &QUserInterface::findPrev);
    QSignalSpy next(&ui, &QUserInterface::findNext);
    ui.edFind->setText(QStringLiteral("ООО Ромашка"));
    QTest::keyClick(ui.edFind, Qt::Key_Return);
    QTest::mouseClick(ui.btFindFirst, Qt::LeftButton);
    QCOMPARE(first.count(), 2);
    QCOMPARE(first.first().first().toString(), QStringLiteral("ООО Ромашка"));
    QTest::mouseClick(ui.btFindPrev, Qt::LeftButton);
    QCOMPARE(prev.count(), 1);
    QTest::mouseClick(ui.btFindNext, Qt::LeftButton);
    QCOMPARE(next.count(), 1);
    QCOMPARE(first.count() + prev.count(), 3);

    ui.actionFind->trigger();
    QVERIFY(!ui.searchFrame->isVisible());
}

void TestModuleFrame::applyButton_data()
{
    QTest::addColumn<QStringList>("steps");
    QTest::addColumn<bool>("enabled");
    QTest::addColumn<int>("oks");
    QTest::addColumn<int>("cancels");

    QTest::newRow("fresh") << QStringList() << false << 0 << 0;
    QTest::newRow("changed") << QStringList{"change"} << true << 0 << 0;
    QTest::newRow("changed twice") << QStringList{"change", "change"} << true << 0 << 0;
    QTest::newRow("reset") << QStringList{"change", "reset"} << false << 0 << 0;
    QTest::newRow("applied") << QStringList{"change", "click ok"} << false << 1 << 0;
    QTest::newRow("cancelled") << QStringList{"change", "click cancel"} << false << 0 << 1;
    QTest::newRow("cancel without changes") << QStringList{"click cancel"} << false << 0 << 1;
    QTest::newRow("changed after apply") << QStringList{"change", "click ok", "change"} << true << 1 << 0;
}

void TestModuleFrame::applyButton()
{
    QFETCH(QStringList, steps);
    QFETCH(bool, enabled);
    QFETCH(int, oks);
    QFETCH(int, cancels);

    QDataEditor frame;
    frame.show();
    // Whoever hears ok() or cancel() must already see the changes as settled.
    int okCount = 0;
    int cancelCount = 0;
    connect(&frame, &QDataEditor::ok, this, [&] {
        QVERIFY(!frame.okButton()->isEnabled());
        ++okCount;
    });
    connect(&frame, &QDataEditor::cancel, this, [&] {
        QVERIFY(!frame.okButton()->isEnabled());
        ++cancelCount;
    });

    for (const QString &step : qAsConst(steps)) {
        if (step == QLatin1String("change"))
            frame.OnChange();
        else if (step == QLatin1String("reset"))
            frame.onReset();
        else if (step == QLatin1String("click ok"))
            QTest::mouseClick(frame.okButton(), Qt::LeftButton);
        else if (step == QLatin1String("click cancel"))
            QTest::mouseClick(frame.cancelButton(), Qt::LeftButton);
    }

    QCOMPARE(frame.okButton()->isEnabled(), enabled);
    QCOMPARE(okCount, oks);
    QCOMPARE(cancelCount, cancels);
}

void TestModuleFrame::editorFrame()
{
    QDataEditor frame;
    // The button box picks a default button of its own when it is shown.
    frame.show();
    QCOMPARE(frame.okButton()->text(), QStringLiteral("Применить"));
    QCOMPARE(frame.cancelButton()->text(), QStringLiteral("Отмена"));
    QVERIFY(!frame.okButton()->isDefault() && !frame.okButton()->autoDefault());
    QVERIFY(!frame.cancelButton()->isDefault() && !frame.cancelButton()->autoDefault());
    QVERIFY(!frame.editor());

    auto *editor = new QWidget;
    editor->setWindowTitle(QStringLiteral("Сделка №15"));
    QDialog dialog;
    frame.initModal(&dialog, editor);
    QCOMPARE(frame.editor(), editor);
    QCOMPARE(editor->parentWidget(), frame.scrollAreaWidgetContents);
    QCOMPARE(frame.lbCaption->text(), QStringLiteral("Сделка №15"));

    QSignalSpy accepted(&dialog, &QDialog::accepted);
    QSignalSpy rejected(&dialog, &QDialog::rejected);
    frame.OnChange();
    frame.okButton()->click();
    frame.cancelButton()->click();
    QCOMPARE(accepted.count(), 1);
    QCOMPARE(rejected.count(), 1);

    QSignalSpy popup(&frame, &QDataEditor::popup);
    QTest::mouseDClick(frame.lbCaption, Qt::LeftButton);
    QCOMPARE(popup.count(), 1);
    QCOMPARE(popup.first().first().value<QWidget *>(), &frame);
}

void TestModuleFrame::enterInFloatingEditorDoesNotApply_data()
{
    QTest::addColumn<bool>("buttonHadFocus");

    QTest::newRow("Enter in a field") << false;
    // A dialog hands the default back to its main default button when an
    // auto-default button loses the focus.
    QTest::newRow("after a button of the record editor had the focus") << true;
}

void TestModuleFrame::enterInFloatingEditorDoesNotApply()
{
    QFETCH(bool, buttonHadFocus);

    Module module;
    auto *record = new QWidget;
    auto *layout = new QVBoxLayout(record);
    auto *field = new QLineEdit(record);
    layout->addWidget(field);
    QPushButton *choose = nullptr;
    if (buttonHadFocus) {
        choose = new QPushButton(QStringLiteral("Выбрать..."), record);
        layout->addWidget(choose);
    }
    module.frame->initEditor(record);
    module.frame->OnChange();
    QSignalSpy ok(module.frame, &QDataEditor::ok);

    module.ui.toggleEditorPopup(module.frame);
    QPopupContainer *window = QUserInterface::popupWindow();
    QApplication::setActiveWindow(window);
    QVERIFY(QTest::qWaitForWindowActive(window));
    if (choose) {
        choose->setFocus(Qt::TabFocusReason);
        QCOMPARE(QApplication::focusWidget(), choose);
    }
    field->setFocus(Qt::TabFocusReason);
    QCOMPARE(QApplication::focusWidget(), field);

    QTest::keyClick(field, Qt::Key_Return);
    QCOMPARE(ok.count(), 0);
    QVERIFY(module.frame->okButton()->isEnabled());
    QVERIFY(!module.frame->okButton()->isDefault());
    QVERIFY(!module.frame->cancelButton()->isDefault());
    module.ui.backToDock();
}

QTEST_MAIN(TestModuleFrame)
#include "tst_moduleframe.moc"
