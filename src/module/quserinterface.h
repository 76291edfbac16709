#ifndef QUSERINTERFACE_H
#define QUSERINTERFACE_H

#include "dealsglobal.h"
#include "ui_quserinterface.h"

#include <QPointer>
#include <QWidget>

class QMenu;
class QPopupContainer;

// The widget a module shows in the shell: caption, search panel, the module's
// list in the view area and its record editor in the edit area. The edit area
// can be torn off into a floating window and docked back.
//
// Only one editor floats at a time in the whole process, so the floating
// window and the widget it holds are shared by all interfaces.
class DEALS_EXPORT QUserInterface : public QWidget, public Ui::QUserInterfaceClass
{
    Q_OBJECT

public:
    explicit QUserInterface(QWidget *parent = nullptr);
    ~QUserInterface() override;

    // An action for `menu`, owned by it, carrying `data`.
    static QAction *addMenuAction(QString text, int data, QMenu *menu, bool enabled);

    // The editor now floating, if any, and the window that holds it.
    static QWidget *poppedWidget();
    static QPopupContainer *popupWindow();

signals:
    void findFirst(QString textToFind);
    void findPrev();
    void findNext();

public slots:
    virtual QString helpContext();
    virtual void saveUserData();
    // Whether the shell may close now: a module holding unsaved work asks its
    // user first and answers false to stay open.
    virtual bool canClose();
    virtual bool initView();
    virtual bool initDocument();
    virtual bool initEditor();
    // The module reconnects / disconnects what opens its edit area while the
    // editor is docked / floating.
    virtual bool onConnectPopupEditor();
    virtual bool onConnectSelectionChanged();
    virtual bool onDisconnectPopupEditor();
    virtual void refresh();

    void setCaption(QString newCaption);
    void backToDock();
    void findFirstClicked();
    void findPrevClicked();
    void findNextClicked();
    void findPanelToggle();
    void showFindPanel();
    void hideFindPanel();
    // Tears `widget` off into the floating window, or docks the floating editor back.
    void toggleEditorPopup(QWidget *widget);

private:
    void initSlots();
    QPopupContainer *ensurePopupWindow(const QSize &size);
    // Hides the window and drops the floating `widget` from the shared state
    // and the shell's list; the widget itself is left where it is.
    static void forgetPoppedWidget(QWidget *widget);

    static QPointer<QWidget> s_poppedWidget;
    static QPointer<QVBoxLayout> s_popupLayout;
    static QPointer<QPopupContainer> s_popupWindow;
    // The interface the floating editor docks back into.
    static QPointer<QUserInterface> s_popupOwner;
    // Ours only: others may listen to the shared window too.
    static QMetaObject::Connection s_goBackConnection;
    static QMetaObject::Connection s_poppedDestroyedConnection;
};

#endif // QUSERINTERFACE_H
