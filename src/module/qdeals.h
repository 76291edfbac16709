#ifndef QDEALS_H
#define QDEALS_H

#include "dealsglobal.h"
#include "quserinterface.h"

class QDataEditor;
class QDataSet;
class QPushButton;
class QDealEditor;
class QDealsView;

// The deals module's controller, the one widget the shell shows for it: the
// list of deals in the view area and the editor of the current deal in the
// edit area, both over the deals document.
class DEALS_EXPORT QDeals : public QUserInterface
{
    Q_OBJECT

public:
    explicit QDeals(QWidget *parent = nullptr);
    ~QDeals() override;

    QDealsView *view() const { return m_view; }
    QDataSet *document() const { return m_document; }
    QDealEditor *editor() const { return m_editor; }
    QDataEditor *dataEditor() const { return m_dataEditor; }

    // Moves the list to the deal and opens the editor; nothing when the list
    // does not hold it.
    void setCurrentRowByID(long long id);

    // The actions the shell puts on its tool bar: find, a separator, then
    // the list's actions. Filled by the first controller.
    static QList<QAction *> *toolBarActions();

    // The kind of document templates made for a deal: their source is the deal's id.
    static QString documentKind();
    // Beside the editor's buttons: the documents of the deal in the editor.
    QPushButton *documentsButton() const { return m_documentsButton; }

public slots:
    QString helpContext() override;
    void saveUserData() override;
    bool canClose() override;
    bool initView() override;
    bool initDocument() override;
    bool initEditor() override;
    bool onConnectPopupEditor() override;
    bool onConnectSelectionChanged() override;
    bool onDisconnectPopupEditor() override;
    void refresh() override;

    void closeEditor();
    void showEditor();
    void tableScroll();
    void onUpdateUI();
    void canceled();
    // The documents of the current deal (commercial offers, delivery notes, ...):
    // those kept, and new ones built from its saved data.
    void showDocuments();

private:
    QDealsView *m_view = nullptr;
    QDataSet *m_document = nullptr;
    QDealEditor *m_editor = nullptr;
    QDataEditor *m_dataEditor = nullptr;
    QPushButton *m_documentsButton = nullptr;
    QMetaObject::Connection m_autoEditConnection;
    QMetaObject::Connection m_doubleClickConnection;
};

#endif // QDEALS_H
