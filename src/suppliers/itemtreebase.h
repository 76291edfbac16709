#ifndef ITEMTREEBASE_H
#define ITEMTREEBASE_H

#include "dealsglobal.h"
#include "itemtreematches.h"

#include <QElapsedTimer>
#include <QList>
#include <QSet>
#include <QWidget>

class QDataSet;
class QDataTable;
class QLineEdit;
class QModelIndex;
class QProgressBar;
class QToolButton;
class QTreeWidget;
class QTreeWidgetItem;

// What the item trees have in common: a tree of item types, families and
// items (see ItemTreeNode for what each node carries) over three tables of a
// data set, filled lazily. Only the root types are read into the tree when it
// is built; a type or family shows a "<FAKE>" child until it is opened, and
// opening it loads its children once. Every loading loop lets the event loop
// run, so the window stays responsive while a large catalogue loads.
//
// The search line filters the tree to the types, families and items whose
// names contain the text (ignoring case), with every type above a hit, and
// opens the way to the hits.
//
// Subclasses own the form and the data set and say which three tables the
// tree shows.
class DEALS_EXPORT ItemTreeBase : public QWidget
{
    Q_OBJECT

public:
    ~ItemTreeBase() override;

    QTreeWidget *treeWidget() const { return m_tree; }
    QTreeWidgetItem *currentNode() const;
    // The current node's item id, 0 when the current node is no item.
    qint64 currentItemId() const;
    QDataSet *dataSet() const { return m_dataSet; }
    bool isBuilding() const { return m_building; }

    // The hits of the last search.
    const QList<qint64> &matchedTypes() const { return m_matches.types(); }
    const QSet<qint64> &matchedFamilies() const { return m_matches.families(); }
    const QSet<qint64> &matchedItems() const { return m_matches.items(); }

    void search();
    void setFilter(QTreeWidgetItem *node);
    bool hasVisibleChild(QTreeWidgetItem *node) const;
    // Adds typeId and every type above it to types, each once.
    void fillTypeHierahcy(long long typeId, QList<long long> *types);
    bool addTypeTreeChild(QTreeWidgetItem *node);
    bool addFamilyTreeChild(QTreeWidgetItem *node);
    bool addItemTreeChild(QTreeWidgetItem *node);
    void updateLoadProgress(long long total, long long done);

    // Opens the branches down to the family's node and returns it; null when
    // the family is not in the tree's tables. Loads what it opens.
    QTreeWidgetItem *revealFamily(qint64 familyId);
    // The same down to the item's node, which becomes the current node.
    QTreeWidgetItem *revealItem(qint64 itemId);

public Q_SLOTS:
    void buildTree();
    void buildBranch(QTreeWidgetItem *node);
    void expandBranch(QTreeWidgetItem *node, bool expand);
    virtual void updateButtons();
    void selectItem();
    void on_edFind_returnPressed();
    void on_btRefresh_clicked();
    void on_twItems_itemExpanded(QTreeWidgetItem *node);
    void on_twItems_doubleClicked(const QModelIndex &index);

Q_SIGNALS:
    void signalBuildTree(bool running);
    void setStatusMess(QString message);
    void itemChanged();
    void itemDoubleClicked();

protected:
    explicit ItemTreeBase(QWidget *parent = nullptr);

    // Called by the subclass once its form is set up.
    void attachForm(QTreeWidget *tree, QProgressBar *progress, QLineEdit *find, QToolButton *refresh);
    void setDataSet(QDataSet *dataSet) { m_dataSet = dataSet; }
    // Starts the first build once the widget has had its chance to appear.
    void scheduleFirstBuild();
    // Moves the widget into host. When host goes away the widget is taken out
    // of it first, so that a shared tree outlives the windows it visits.
    void adoptHost(QWidget *host);

    // The three tables the tree shows now; false when one is missing.
    virtual bool chooseTables(QDataTable **types, QDataTable **families, QDataTable **items) = 0;
    // State that all trees of one class share: the families loaded since the
    // last build, and whether one of their wait windows is on screen.
    virtual int &sharedLoadedFamilies() = 0;
    virtual bool &sharedWaitShown() = 0;

    QDataTable *typeTable() const { return m_types; }
    QDataTable *familyTable() const { return m_families; }
    QDataTable *itemTable() const { return m_items; }
    QLineEdit *findEdit() const { return m_find; }

    // Lets the event loop run; false when the load in progress must stop
    // because the tree was rebuilt or the widget is going away meanwhile.
    bool yieldToEventLoop();
    // The same inside a loop over rows, when a turn is due.
    bool yieldWhenDue(int row);
    // Expands node, loading its children; false when the tree was rebuilt
    // meanwhile and node is gone.
    bool openNode(QTreeWidgetItem *node);
    // Moves on whenever the tree is cleared: a node held across a call that
    // lets the event loop run is only valid while this stays the same.
    quint64 buildGeneration() const { return m_generation; }
    // The children of node in the tree, or the top-level node, with this id in role.
    QTreeWidgetItem *childWithId(QTreeWidgetItem *node, int role, qint64 id) const;

private:
    class WaitGuard;
    friend class WaitGuard;

    bool isSearchActive() const { return !m_matches.isEmpty(); }
    bool emptyTable(QDataTable *table);
    bool hasChildTypesOrFamilies(qint64 typeId);
    bool loadBranch(QTreeWidgetItem *node);
    bool expandAll(QTreeWidgetItem *node, bool expand);
    bool buildSubtree(QTreeWidgetItem *node);
    void applyFilter(QTreeWidgetItem *node, bool underNameMatch);
    void ensureOpenable(QTreeWidgetItem *node);
    void revealMatches();
    bool revealFirstMatch(QTreeWidgetItem *node);
    QList<qint64> typePath(qint64 typeId);
    QDataTable *temporaryCopy(QDataTable *source, const QString &field, const QVariant &value);

    QMetaObject::Connection m_hostWatch;
    QTreeWidget *m_tree = nullptr;
    QProgressBar *m_progress = nullptr;
    QLineEdit *m_find = nullptr;
    QToolButton *m_refresh = nullptr;
    QDataSet *m_dataSet = nullptr;
    QDataTable *m_types = nullptr;
    QDataTable *m_families = nullptr;
    QDataTable *m_items = nullptr;

    ItemTreeMatches m_matches;

    // Nodes whose children are being loaded right now: a second expansion
    // of one while it loads must not load it twice.
    QSet<QTreeWidgetItem *> m_loading;
    QElapsedTimer m_sinceYield;
    quint64 m_generation = 0; // moves on whenever the tree is cleared
    bool m_building = false;
    bool m_rebuildPending = false;
};

#endif // ITEMTREEBASE_H
