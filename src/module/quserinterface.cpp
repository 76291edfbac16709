#include "quserinterface.h"

#include "appcontext.h"
#include "qpopupcontainer.h"

#include <QApplication>
#include <QMenu>
#include <QScreen>

QPointer<QWidget> QUserInterface::s_poppedWidget;
QPointer<QVBoxLayout> QUserInterface::s_popupLayout;
QPointer<QPopupContainer> QUserInterface::s_popupWindow;
QPointer<QUserInterface> QUserInterface::s_popupOwner;
QMetaObject::Connection QUserInterface::s_goBackConnection;
QMetaObject::Connection QUserInterface::s_poppedDestroyedConnection;

QUserInterface::QUserInterface(QWidget *parent)
    : QWidget(parent)
{
    setupUi(this);
    editFrame->hide();
    searchFrame->hide();
    addAction(actionFind);
    initSlots();
}

QUserInterface::~QUserInterface()
{
    if (!s_poppedWidget)
        return;
    if (s_popupOwner != this) {
        // The window is our child and would take another module's editor down
        // with it: that module gets its editor back first.
        if (s_popupOwner && s_popupWindow && s_popupWindow->parent() == this)
            s_popupOwner->backToDock();
        return;
    }
    // Our editor must not outlive us in a window that another interface owns,
    // so it goes now. Not by docking it back: while the main window is torn
    // down, reparenting walks a focus chain that is already half gone.
    QWidget *widget = s_poppedWidget;
    forgetPoppedWidget(widget);
    delete widget;
}

void QUserInterface::initSlots()
{
    connect(btFindFirst, &QPushButton::clicked, this, &QUserInterface::findFirstClicked);
    connect(btFindPrev, &QToolButton::clicked, this, &QUserInterface::findPrevClicked);
    connect(btFindNext, &QToolButton::clicked, this, &QUserInterface::findNextClicked);
    connect(actionFind, &QAction::triggered, this, &QUserInterface::findPanelToggle);
}

QString QUserInterface::helpContext()
{
    return objectName();
}

void QUserInterface::saveUserData()
{
}

bool QUserInterface::canClose()
{
    return true;
}

bool QUserInterface::initView()
{
    return false;
}

bool QUserInterface::initDocument()
{
    return false;
}

bool QUserInterface::initEditor()
{
    return false;
}

bool QUserInterface::onConnectPopupEditor()
{
    return false;
}

bool QUserInterface::onConnectSelectionChanged()
{
    return false;
}

bool QUserInterface::onDisconnectPopupEditor()
{
    return false;
}

void QUserInterface::refresh()
{
}

void QUserInterface::setCaption(QString newCaption)
{
    setWindowTitle(newCaption);
    lbCaption->setText(newCaption);
}

void QUserInterface::findFirstClicked()
{
    emit findFirst(edFind->text());
}

void QUserInterface::findPrevClicked()
{
    emit findPrev();
}

void QUserInterface::findNextClicked()
{
    emit findNext();
}

void QUserInterface::findPanelToggle()
{
    searchFrame->setVisible(!searchFrame->isVisible());
    if (searchFrame->isVisible())
        edFind->setFocus(Qt::OtherFocusReason);
}

void QUserInterface::showFindPanel()
{
    searchFrame->show();
}

void QUserInterface::hideFindPanel()
{
    searchFrame->hide();
}

QAction *QUserInterface::addMenuAction(QString text, int data, QMenu *menu, bool enabled)
{
    if (!menu)
        return nullptr;
    auto *action = new QAction(text, menu);
    action->setData(data);
    action->setEnabled(enabled);
    menu->addAction(action);
    return action;
}

QWidget *QUserInterface::poppedWidget()
{
    return s_poppedWidget;
}

QPopupContainer *QUserInterface::popupWindow()
{
    return s_popupWindow;
}

QPopupContainer *QUserInterface::ensurePopupWindow(const QSize &size)
{
    if (s_popupWindow)
        return s_popupWindow;

    s_popupWindow = new QPopupContainer(this, Qt::Window | Qt::WindowTitleHint | Qt::WindowMaximizeButtonHint
                                                  | Qt::WindowCloseButtonHint);
    s_popupWindow->resize(size);
    if (const QScreen *screen = QGuiApplication::primaryScreen()) {
        QRect frame = s_popupWindow->geometry();
        frame.moveCenter(screen->geometry().center());
        s_popupWindow->setGeometry(frame);
    }
    // Later tear-offs reuse the window where the user left it.
    s_popupLayout = new QVBoxLayout(s_popupWindow);
    return s_popupWindow;
}

void QUserInterface::toggleEditorPopup(QWidget *widget)
{
    if (s_poppedWidget) {
        backToDock();
        return;
    }
    if (!widget)
        return;

    s_poppedWidget = widget;
    s_popupOwner = this;
    editFrame->hide();

    QPopupContainer *window = ensurePopupWindow(widget->size());
    // The window may have been made by another interface: docking goes to the editor's own.
    disconnect(s_goBackConnection);
    s_goBackConnection = connect(window, &QPopupContainer::goBack, this, &QUserInterface::backToDock);
    // A module may drop its editor while it floats: the window must not stay
    // on screen empty, nor the shell keep a dangling entry.
    s_poppedDestroyedConnection = connect(widget, &QObject::destroyed, this, [widget] {
        forgetPoppedWidget(widget);
    });
    s_popupLayout->addWidget(widget);
    window->show();

    onDisconnectPopupEditor();

    if (QWidgetList *popups = AppContext::popupList())
        popups->append(widget);
}

void QUserInterface::backToDock()
{
    if (!s_poppedWidget)
        return;
    if (s_popupOwner && s_popupOwner != this) {
        s_popupOwner->backToDock();
        return;
    }

    QWidget *widget = s_poppedWidget;
    if (s_popupWindow)
        s_popupWindow->hide();
    editLayout->addWidget(widget);
    editFrame->show();

    onConnectPopupEditor();
    forgetPoppedWidget(widget);
}

void QUserInterface::forgetPoppedWidget(QWidget *widget)
{
    disconnect(s_poppedDestroyedConnection);
    if (s_popupWindow)
        s_popupWindow->hide();
    if (QWidgetList *popups = AppContext::popupList())
        popups->removeAll(widget);
    s_poppedWidget.clear();
    s_popupOwner.clear();
}
