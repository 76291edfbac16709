#include "itemtreebase.h"

#include "itemtreematches.h"
#include "itemtreenode.h"
#include "qdatatable.h"
#include "qwaitdialog.h"

#include <QApplication>
#include <QClipboard>
#include <QHeaderView>
#include <QLineEdit>
#include <QMessageBox>
#include <QPointer>
#include <QProgressBar>
#include <QSqlRecord>
#include <QStandardItemModel>
#include <QTimer>
#include <QToolButton>
#include <QTreeWidget>

#include <algorithm>
#include <memory>

namespace {

// Loading loops offer the event loop a turn after every fifth row, and give
// it one when it has waited this long: often enough that the window reacts at
// once, seldom enough that a family of thousands is not spent repainting.
constexpr int rowsPerYield = 5;
constexpr int yieldIntervalMs = 15;
// Rows a table lets go of between two turns of the event loop when it is emptied.
constexpr int rowsPerRelease = 4000;
// A search opens the families of its hits when there are at most this many;
// beyond that it opens only the way to the first hit.
constexpr int maxRevealedFamilies = 10;

const QString idField = QStringLiteral("id");
const QString parentField = QStringLiteral("id_parent");
const QString typeField = QStringLiteral("id_type");
const QString familyField = QStringLiteral("id_item_family");

} // namespace

// One wait window for nested loads: shown by the outermost load of a tree
// class while the tree is on screen, closed when that load ends.
class ItemTreeBase::WaitGuard
{
public:
    WaitGuard(ItemTreeBase *tree, const QString &text)
        : m_shown(tree->sharedWaitShown())
        , m_tree(tree)
        , m_generation(tree->m_generation)
    {
        if (m_shown || !tree->isVisible())
            return;
        m_shown = true;
        m_owner = true;
        m_dialog = new QWaitDialog(text, tree->window());
        const QRect area = tree->window()->geometry();
        m_dialog->adjustSize();
        m_dialog->move(area.center() - m_dialog->rect().center());
        m_dialog->show();
    }

    ~WaitGuard() { close(); }

    // Showing a window can let queued events run, a rebuild among them: the
    // nodes the caller holds are only good while this is true.
    bool treeIntact() const { return m_tree && !m_tree->m_building && m_tree->m_generation == m_generation; }

    void close()
    {
        if (!m_owner)
            return;
        m_owner = false;
        m_shown = false;
        delete m_dialog.data();
    }

private:
    bool &m_shown; // the class-wide flag outlives any one tree
    QPointer<ItemTreeBase> m_tree;
    quint64 m_generation;
    bool m_owner = false;
    QPointer<QWaitDialog> m_dialog;
};

ItemTreeBase::ItemTreeBase(QWidget *parent)
    : QWidget(parent)
{
}

ItemTreeBase::~ItemTreeBase() = default;

void ItemTreeBase::attachForm(QTreeWidget *tree, QProgressBar *progress, QLineEdit *find, QToolButton *refresh)
{
    m_tree = tree;
    m_progress = progress;
    m_find = find;
    m_refresh = refresh;
    m_tree->header()->setSectionResizeMode(0, QHeaderView::Stretch);
    m_tree->sortByColumn(0, Qt::AscendingOrder);
    m_progress->hide();
    connect(m_tree, &QTreeWidget::currentItemChanged, this, &ItemTreeBase::selectItem);
    // Emptying the line with its clear button ends the search as Enter on an empty line would.
    connect(m_find, &QLineEdit::textChanged, this, [this](const QString &text) {
        if (text.isEmpty() && isSearchActive())
            search();
    });
}

void ItemTreeBase::scheduleFirstBuild()
{
    QTimer::singleShot(1, this, &ItemTreeBase::buildTree);
}

void ItemTreeBase::adoptHost(QWidget *host)
{
    disconnect(m_hostWatch);
    setParent(host);
    if (!host)
        return;
    show();
    m_hostWatch = connect(host, &QObject::destroyed, this, [this] {
        // Runs before the host deletes its children.
        setParent(nullptr);
    });
}

QTreeWidgetItem *ItemTreeBase::currentNode() const
{
    return m_tree ? m_tree->currentItem() : nullptr;
}

qint64 ItemTreeBase::currentItemId() const
{
    return ItemTreeNode::itemId(currentNode());
}

bool ItemTreeBase::yieldToEventLoop()
{
    const quint64 generation = m_generation;
    QPointer<ItemTreeBase> self(this);
    QCoreApplication::processEvents();
    if (!self || m_generation != generation)
        return false;
    m_sinceYield.start();
    return true;
}

bool ItemTreeBase::yieldWhenDue(int row)
{
    if (row % rowsPerYield != 0 || (m_sinceYield.isValid() && m_sinceYield.elapsed() < yieldIntervalMs))
        return true;
    return yieldToEventLoop();
}

QDataTable *ItemTreeBase::temporaryCopy(QDataTable *source, const QString &field, const QVariant &value)
{
    // Without a parent: the caller's unique_ptr is its only owner.
    auto *copy = new QDataTable(source->objectName() + QStringLiteral("_part"));
    source->getRows(copy, field, value);
    return copy;
}

// ---------------------------------------------------------------- building

void ItemTreeBase::buildTree()
{
    if (!m_tree)
        return;
    if (m_building) {
        // Asked again while the tables load (a new filter, say): build once more afterwards.
        m_rebuildPending = true;
        return;
    }
    m_building = true;
    m_rebuildPending = false;
    ++m_generation;
    m_loading.clear();
    m_refresh->setEnabled(false);
    m_find->hide();
    m_progress->setRange(0, 0); // busy until the tables are in
    m_progress->show();
    sharedLoadedFamilies() = 0;
    m_tree->clear();

    auto finish = [this] {
        m_building = false;
        sharedLoadedFamilies() = 0;
        m_find->show();
        m_progress->hide();
        m_refresh->setEnabled(true);
    };
    if (!m_dataSet) {
        finish();
        return;
    }
    emit signalBuildTree(true);
    if (!yieldToEventLoop())
        return;

    QDataTable *types = nullptr;
    QDataTable *families = nullptr;
    QDataTable *items = nullptr;
    if (!chooseTables(&types, &families, &items)) {
        finish();
        emit signalBuildTree(false);
        return;
    }
    m_types = types;
    m_families = families;
    m_items = items;

    const quint64 generation = m_generation;
    QPointer<ItemTreeBase> self(this);
    for (QDataTable *table : {types, families, items}) {
        if (!emptyTable(table))
            return;
    }
    for (QDataTable *table : {types, families, items}) {
        // Loading yields to the event loop as it goes: a large catalogue must not freeze the window.
        table->open(true);
        if (!self || m_generation != generation)
            return;
    }

    std::unique_ptr<QDataTable> roots(temporaryCopy(types, parentField, QVariant()));
    const int rootCount = roots->rowCount();
    updateLoadProgress(rootCount, 0);
    for (int row = 0; row < rootCount; ++row) {
        const QSqlRecord record = roots->getRecord(row);
        auto *node = new ItemTreeNode;
        ItemTreeNode::setTypeData(node, record);
        if (hasChildTypesOrFamilies(ItemTreeNode::typeId(node)))
            ItemTreeNode::addPlaceholder(node);
        m_tree->addTopLevelItem(node);
        updateLoadProgress(rootCount, row + 1);
        if (!yieldToEventLoop())
            return;
    }
    roots.reset();

    finish();
    emit signalBuildTree(false);
    search();
    if (m_rebuildPending)
        QTimer::singleShot(0, this, &ItemTreeBase::buildTree);
}

// Closes a table, letting the event loop run while it lets go of its rows:
// freeing 50,000 rows at one go kept the window from reacting for a tenth of a second.
bool ItemTreeBase::emptyTable(QDataTable *table)
{
    QStandardItemModel *model = table->getModel();
    while (model->rowCount() > rowsPerRelease) {
        model->removeRows(model->rowCount() - rowsPerRelease, rowsPerRelease);
        if (!yieldToEventLoop())
            return false;
    }
    table->close();
    return true;
}

bool ItemTreeBase::hasChildTypesOrFamilies(qint64 typeId)
{
    return m_types->locate(parentField, typeId) >= 0 || m_families->locate(typeField, typeId) >= 0;
}

void ItemTreeBase::on_btRefresh_clicked()
{
    buildTree();
}

void ItemTreeBase::on_twItems_itemExpanded(QTreeWidgetItem *node)
{
    if (!node || ItemTreeNode::isLoaded(node) || m_loading.contains(node))
        return;
    WaitGuard wait(this, QStringLiteral("Загрузка данных"));
    if (wait.treeIntact())
        loadBranch(node);
}

// Loads the children of one type or family; false when the load was cut
// short because the tree was rebuilt meanwhile (node is gone then).
bool ItemTreeBase::loadBranch(QTreeWidgetItem *node)
{
    if (!m_types || !m_families || !m_items)
        return true;
    const ItemTreeNode::Kind kind = ItemTreeNode::kind(node);
    if (kind != ItemTreeNode::Type && kind != ItemTreeNode::Family)
        return true;
    m_loading.insert(node);
    if (kind == ItemTreeNode::Type) {
        // Collapsed while it fills, so the view does not lay out every new row.
        node->setExpanded(false);
        qDeleteAll(node->takeChildren());
        if (!addFamilyTreeChild(node) || !addTypeTreeChild(node))
            return false;
        m_loading.remove(node);
        node->setExpanded(true);
    } else {
        const bool expanded = node->isExpanded();
        node->setExpanded(false);
        if (!addItemTreeChild(node))
            return false;
        m_loading.remove(node);
        node->setExpanded(expanded);
    }
    if (isSearchActive())
        setFilter(node);
    return true;
}

bool ItemTreeBase::addTypeTreeChild(QTreeWidgetItem *node)
{
    if (!node || !m_types)
        return true;
    std::unique_ptr<QDataTable> children(temporaryCopy(m_types, parentField, ItemTreeNode::typeId(node)));
    for (int row = 0; row < children->rowCount(); ++row) {
        auto *child = new ItemTreeNode;
        ItemTreeNode::setTypeData(child, children->getRecord(row));
        if (hasChildTypesOrFamilies(ItemTreeNode::typeId(child)))
            ItemTreeNode::addPlaceholder(child);
        node->addChild(child);
        if (!yieldWhenDue(row))
            return false;
    }
    ItemTreeNode::setLoaded(node, true);
    return true;
}

bool ItemTreeBase::addFamilyTreeChild(QTreeWidgetItem *node)
{
    if (!node || !m_families)
        return true;
    std::unique_ptr<QDataTable> children(temporaryCopy(m_families, typeField, ItemTreeNode::typeId(node)));
    for (int row = 0; row < children->rowCount(); ++row) {
        auto *child = new ItemTreeNode;
        ItemTreeNode::setFamilyData(child, children->getRecord(row));
        addItemTreeChild(child); // a fresh family only gets its placeholder
        node->addChild(child);
        if (!yieldWhenDue(row))
            return false;
        const int done = sharedLoadedFamilies()++;
        updateLoadProgress(m_families->rowCount(), done);
    }
    ItemTreeNode::setLoaded(node, true);
    return true;
}

bool ItemTreeBase::addItemTreeChild(QTreeWidgetItem *node)
{
    if (!node || !m_items)
        return true;
    if (m_items->getTableState() == -2)
        m_items->open();
    if (node->childCount() == 0) {
        ItemTreeNode::addPlaceholder(node);
        return true;
    }
    qDeleteAll(node->takeChildren());
    std::unique_ptr<QDataTable> children(temporaryCopy(m_items, familyField, ItemTreeNode::familyId(node)));
    for (int row = 0; row < children->rowCount(); ++row) {
        auto *child = new ItemTreeNode;
        ItemTreeNode::setItemData(child, children->getRecord(row));
        node->addChild(child);
        if (!yieldWhenDue(row))
            return false;
    }
    ItemTreeNode::setLoaded(node, true);
    return true;
}

void ItemTreeBase::buildBranch(QTreeWidgetItem *node)
{
    if (!node)
        return;
    WaitGuard wait(this, QStringLiteral("Загрузка данных"));
    if (wait.treeIntact())
        buildSubtree(node);
}

bool ItemTreeBase::buildSubtree(QTreeWidgetItem *node)
{
    const bool wasExpanded = node->isExpanded();
    if (!ItemTreeNode::isLoaded(node) && !m_loading.contains(node) && !loadBranch(node))
        return false;
    for (int i = 0; i < node->childCount(); ++i) {
        if (!buildSubtree(node->child(i)))
            return false;
    }
    node->setExpanded(wasExpanded);
    return true;
}

void ItemTreeBase::expandBranch(QTreeWidgetItem *node, bool expand)
{
    if (!node)
        return;
    WaitGuard wait(this, QStringLiteral("Загрузка данных"));
    if (wait.treeIntact())
        expandAll(node, expand);
}

bool ItemTreeBase::expandAll(QTreeWidgetItem *node, bool expand)
{
    const quint64 generation = m_generation;
    QPointer<ItemTreeBase> self(this);
    // Expanding runs the expand handler, which loads the node's children.
    node->setExpanded(expand);
    if (!self || m_generation != generation)
        return false;
    for (int i = 0; i < node->childCount(); ++i) {
        if (!expandAll(node->child(i), expand))
            return false;
    }
    return true;
}

void ItemTreeBase::updateLoadProgress(long long total, long long done)
{
    m_progress->setRange(0, int(total));
    m_progress->setValue(int(done));
    const double percent = total > 0 ? double(done) / double(total) * 100.0 : 0.0;
    emit setStatusMess(QStringLiteral("Загрузка списка: %1%").arg(percent, 8, 'f', 2));
}

// ---------------------------------------------------------------- selection

void ItemTreeBase::updateButtons()
{
}

void ItemTreeBase::selectItem()
{
    QTreeWidgetItem *node = currentNode();
    if (!node)
        return;
    if (!ItemTreeNode::isPlaceholder(node))
        QApplication::clipboard()->setText(node->text(0));
    updateButtons();
    emit itemChanged();
}

void ItemTreeBase::on_twItems_doubleClicked(const QModelIndex &index)
{
    Q_UNUSED(index)
    if (ItemTreeNode::kind(currentNode()) == ItemTreeNode::Item)
        emit itemDoubleClicked();
}

QTreeWidgetItem *ItemTreeBase::childWithId(QTreeWidgetItem *node, int role, qint64 id) const
{
    const int count = node ? node->childCount() : m_tree->topLevelItemCount();
    for (int i = 0; i < count; ++i) {
        QTreeWidgetItem *child = node ? node->child(i) : m_tree->topLevelItem(i);
        if (child->data(0, role).toLongLong() == id)
            return child;
    }
    return nullptr;
}

QList<qint64> ItemTreeBase::typePath(qint64 typeId)
{
    QList<qint64> path;
    fillTypeHierahcy(typeId, &path);
    std::reverse(path.begin(), path.end());
    return path;
}

bool ItemTreeBase::openNode(QTreeWidgetItem *node)
{
    const quint64 generation = m_generation;
    QPointer<ItemTreeBase> self(this);
    node->setExpanded(true);
    if (!self || m_generation != generation)
        return false;
    // Expanded already but never loaded (expanded while the tree was built, say).
    if (!ItemTreeNode::isLoaded(node) && !m_loading.contains(node))
        return loadBranch(node);
    return true;
}

QTreeWidgetItem *ItemTreeBase::revealFamily(qint64 familyId)
{
    if (!m_families || !m_types || m_building)
        return nullptr;
    const int row = m_families->locate(idField, familyId);
    if (row < 0)
        return nullptr;
    const QList<qint64> path = typePath(m_families->getRecord(row).value(typeField).toLongLong());
    QTreeWidgetItem *node = nullptr;
    for (qint64 typeId : path) {
        node = childWithId(node, ItemTreeNode::TypeIdRole, typeId);
        if (!node || !openNode(node))
            return nullptr;
    }
    QTreeWidgetItem *family = node ? childWithId(node, ItemTreeNode::FamilyIdRole, familyId) : nullptr;
    if (!family || !openNode(family))
        return nullptr;
    return family;
}

QTreeWidgetItem *ItemTreeBase::revealItem(qint64 itemId)
{
    if (!m_items)
        return nullptr;
    const int row = m_items->locate(idField, itemId);
    if (row < 0)
        return nullptr;
    QTreeWidgetItem *family = revealFamily(m_items->getRecord(row).value(familyField).toLongLong());
    QTreeWidgetItem *node = family ? childWithId(family, ItemTreeNode::ItemIdRole, itemId) : nullptr;
    if (node) {
        node->setHidden(false);
        m_tree->setCurrentItem(node);
        m_tree->scrollToItem(node);
    }
    return node;
}

// ---------------------------------------------------------------- search

void ItemTreeBase::on_edFind_returnPressed()
{
    search();
}

void ItemTreeBase::fillTypeHierahcy(long long typeId, QList<long long> *types)
{
    ItemTreeMatches::addTypeWithAncestors(m_types, typeId, types);
}

void ItemTreeBase::search()
{
    // A build ends with a search of its own, over the tables it has just read.
    if (!m_tree || !m_find || m_building)
        return;
    const QString text = m_find->text().trimmed();
    if (text.isEmpty()) {
        m_matches = ItemTreeMatches();
        for (int i = 0; i < m_tree->topLevelItemCount(); ++i)
            setFilter(m_tree->topLevelItem(i));
        return;
    }
    if (!m_types || !m_families || !m_items)
        return;

    WaitGuard wait(this, QStringLiteral("Выполняется поиск"));
    if (!wait.treeIntact())
        return; // rebuilt meanwhile; a build ends with a search of its own
    const ItemTreeMatches found = ItemTreeMatches::find(m_types, m_families, m_items, text);
    if (found.isEmpty()) {
        // The tree and the last search's filter stay as they were.
        wait.close();
        QMessageBox::information(this, QStringLiteral("Поиск"), QStringLiteral("По вашему запросу ничего не найдено"));
        return;
    }
    m_matches = found;
    for (int i = 0; i < m_tree->topLevelItemCount(); ++i)
        setFilter(m_tree->topLevelItem(i));
    revealMatches();
}

bool ItemTreeBase::hasVisibleChild(QTreeWidgetItem *node) const
{
    if (!node)
        return false;
    for (int i = 0; i < node->childCount(); ++i) {
        if (!node->child(i)->isHidden())
            return true;
    }
    return false;
}

void ItemTreeBase::setFilter(QTreeWidgetItem *node)
{
    if (!node)
        return;
    bool underNameMatch = false;
    for (const QTreeWidgetItem *up = node->parent(); up && !underNameMatch; up = up->parent())
        underNameMatch = m_matches.containsByName(up);
    applyFilter(node, underNameMatch);
}

// What a search shows: the hits, the way to them, and everything below a
// type or family whose own name matched, so that a family found by name can
// be browsed in full.
void ItemTreeBase::applyFilter(QTreeWidgetItem *node, bool underNameMatch)
{
    const bool byName = m_matches.containsByName(node);
    for (int i = 0; i < node->childCount(); ++i)
        applyFilter(node->child(i), underNameMatch || byName);

    if (underNameMatch || !isSearchActive()) {
        node->setHidden(false);
        return;
    }
    if (m_matches.contains(node)) {
        node->setHidden(false);
        if (!hasVisibleChild(node) && ItemTreeNode::kind(node) != ItemTreeNode::Item)
            ensureOpenable(node);
        return;
    }
    node->setHidden(!hasVisibleChild(node));
}

// A hit that is not loaded yet keeps its expand indicator, so it can be opened.
void ItemTreeBase::ensureOpenable(QTreeWidgetItem *node)
{
    if (ItemTreeNode::isLoaded(node))
        return;
    for (int i = 0; i < node->childCount(); ++i) {
        if (ItemTreeNode::isPlaceholder(node->child(i))) {
            node->child(i)->setHidden(false);
            return;
        }
    }
    ItemTreeNode::addPlaceholder(node);
}

void ItemTreeBase::revealMatches()
{
    if (m_matches.families().size() <= maxRevealedFamilies) {
        QList<qint64> families = m_matches.families().values();
        std::sort(families.begin(), families.end());
        const quint64 generation = m_generation;
        for (qint64 familyId : qAsConst(families)) {
            revealFamily(familyId);
            if (m_generation != generation)
                return;
        }
    }
    for (int i = 0; i < m_tree->topLevelItemCount(); ++i) {
        QTreeWidgetItem *top = m_tree->topLevelItem(i);
        if (!top->isHidden() && m_matches.contains(top) && revealFirstMatch(top))
            return;
    }
}

// Descends along hits in the order the tree shows them and makes the first
// item found current; a type or family that matched by its own name and has
// no hit below it is a hit itself.
bool ItemTreeBase::revealFirstMatch(QTreeWidgetItem *node)
{
    if (ItemTreeNode::kind(node) != ItemTreeNode::Item) {
        const quint64 generation = m_generation;
        node->setExpanded(true);
        if (m_generation != generation)
            return true; // rebuilt meanwhile: nothing left to reveal
        for (int i = 0; i < node->childCount(); ++i) {
            QTreeWidgetItem *child = node->child(i);
            if (!child->isHidden() && m_matches.contains(child) && revealFirstMatch(child))
                return true;
        }
        if (!m_matches.containsByName(node))
            return false;
    }
    m_tree->setCurrentItem(node);
    m_tree->scrollToItem(node);
    return true;
}
