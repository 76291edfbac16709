#include "qdealposdialog.h"

#include "appcontext.h"
#include "fileinstantwidget.h"
#include "itemproducttree.h"
#include "itemtreenode.h"
#include "qdataset.h"
#include "qdatatable.h"
#include "qsqlconnection.h"
#include "vatprice.h"
#include "workplacelogging.h"

#include <QDate>
#include <QFontInfo>
#include <QFontDatabase>
#include <QMessageBox>
#include <QSignalBlocker>
#include <QSqlField>
#include <QSqlQuery>
#include <QTextCursor>
#include <QTreeWidget>
#include <QTreeWidgetItem>

#include <cmath>

namespace {

const int VatIdRole = Qt::UserRole + 1;
const int VatDefaultRole = Qt::UserRole + 2;
const char alignTag[] = "tag";
const char pieceUnit[] = "Штука";
const int maxQuantityDecimals = 6;

QString field(const char *name)
{
    return QString::fromLatin1(name);
}

// Decimals a value needs to be shown unrounded, up to the most a quantity has.
int decimalsOf(double value)
{
    for (int decimals = 0; decimals < maxQuantityDecimals; ++decimals) {
        const double scaled = value * std::pow(10.0, decimals);
        if (std::abs(scaled - std::round(scaled)) < 1e-6)
            return decimals;
    }
    return maxQuantityDecimals;
}

} // namespace

QDealPosDialog::QDealPosDialog(QDataSet *document, QWidget *parent)
    : QDialog(parent)
    , m_document(document)
{
    setupUi(this);
    buttonAccept->setEnabled(false);
    sbQty->setValue(1);
    deExecution->setDate(QDate::currentDate().addDays(21));
    buttonAdd->setIcon(QIcon(QStringLiteral(":/commonIcon/NEW")));
    buttonDel->setIcon(QIcon(QStringLiteral(":/commonIcon/DELETE")));

    initData();
    initUi();
    initFontDecor();

    m_tree = ItemProductTree::getItemTree(this);
    treeLayout->insertWidget(0, m_tree);
    m_tree->show();
    m_files = new FileInstantWidget(QStringLiteral("t_deal_detail"), this);
    m_files->hide();
    layoutFile->addWidget(m_files);

    // The tree reads its tables after it is shown: nothing can be picked until then.
    connect(m_tree, &ItemTreeBase::signalBuildTree, this, &QWidget::setDisabled);
    connect(m_tree, &ItemTreeBase::signalBuildTree, this, [this](bool running) {
        if (!running)
            revealChosenItem();
    });
    connect(m_tree, &ItemTreeBase::itemChanged, this, &QDealPosDialog::itemSelected);
    connect(m_tree, &ItemTreeBase::itemDoubleClicked, this, &QDealPosDialog::on_buttonAdd_clicked);
    itemSelected();
    connect(buttonCalc, &QPushButton::clicked, this, &QDealPosDialog::calcCost);
    connect(buttonAccept, &QPushButton::clicked, this, &QDealPosDialog::accept);
    connect(buttonReject, &QPushButton::clicked, this, &QDialog::reject);
    connectInputs();
    checkControls();
}

void QDealPosDialog::connectInputs()
{
    const auto check = [this] { checkControls(); };
    connect(sbQty, QOverload<double>::of(&QDoubleSpinBox::valueChanged), this, check);
    connect(sbCost, QOverload<double>::of(&QDoubleSpinBox::valueChanged), this, check);
    connect(sbCostAdd, QOverload<double>::of(&QDoubleSpinBox::valueChanged), this, check);
    connect(sbSalePrice, QOverload<double>::of(&QDoubleSpinBox::valueChanged), this, check);
    connect(cbMeas, QOverload<int>::of(&QComboBox::currentIndexChanged), this, check);
    connect(cbVAT, QOverload<int>::of(&QComboBox::currentIndexChanged), this, check);
    connect(cbNDS, &QCheckBox::stateChanged, this, check);
    connect(checkBoxReadyToShip, &QCheckBox::stateChanged, this, check);
    connect(deExecution, &QDateEdit::dateChanged, this, check);
    connect(leURL, &QLineEdit::textChanged, this, check);
    connect(leName, &QLineEdit::textChanged, this, check);
    connect(teDescr, &QTextEdit::textChanged, this, check);
    connect(teProblems, &QTextEdit::textChanged, this, check);
}

void QDealPosDialog::initData()
{
    if (!m_document)
        return;
    if (QDataTable *units = m_document->getTable(QStringLiteral("t_meas_unit"))) {
        units->open();
        const QSignalBlocker blocker(cbMeas);
        cbMeas->clear();
        for (int row = 0; row < units->rowCount(); ++row) {
            const QSqlRecord unit = units->getRecord(row);
            cbMeas->addItem(unit.value(field("c_name")).toString(), unit.value(field("id")));
        }
        cbMeas->setCurrentIndex(-1);
    }
    // Selected with the signal on, so that the quantity takes the unit's decimals.
    cbMeas->setCurrentIndex(cbMeas->findText(QString::fromUtf8(pieceUnit), Qt::MatchExactly));

    if (QDataTable *rates = m_document->getTable(QStringLiteral("t_vat"))) {
        rates->close();
        rates->open();
        cbVAT->clear();
        for (int row = 0; row < rates->rowCount(); ++row) {
            const QSqlRecord rate = rates->getRecord(row);
            cbVAT->addItem(rate.value(field("n_vat")).toString());
            const int index = cbVAT->count() - 1;
            cbVAT->setItemData(index, rate.value(field("id")), VatIdRole);
            cbVAT->setItemData(index, rate.value(field("b_is_default")).toBool(), VatDefaultRole);
        }
        cbVAT->setCurrentIndex(cbVAT->findData(true, VatDefaultRole));
    }
}

void QDealPosDialog::initUi()
{
    const bool chosen = m_itemId >= 1;
    // A catalogue item fixes the line's name and unit; a request is named by hand.
    const bool named = m_type == DevelopmentWork && !chosen && !m_readOnly;
    leName->setEnabled(named);
    leURL->setEnabled(named);
    cbMeas->setEnabled(!chosen && !m_readOnly);
    checkBoxReadyToShip->setVisible(chosen && m_type == Position);
    buttonDel->setEnabled(chosen && !m_readOnly);
}

void QDealPosDialog::checkControls()
{
    initUi();
    const bool chosen = m_itemId >= 1;
    // A position is an item of the catalogue; a request is what its description says.
    const bool subject = m_type == Position ? chosen : chosen || !teDescr->toPlainText().trimmed().isEmpty();
    buttonAccept->setEnabled(sbQty->value() > 0 && cbMeas->currentIndex() >= 0 && subject);
}

void QDealPosDialog::setType(Type type)
{
    m_type = type;
    const bool position = type == Position;
    buttonAdd->setVisible(position);
    buttonDel->setVisible(position);
    m_tree->setVisible(position);
    // Without the tree its column gives its room to the fields.
    horizontalSpacerTree->changeSize(position ? 20 : 0, 20, position ? QSizePolicy::Expanding : QSizePolicy::Fixed,
                                     QSizePolicy::Minimum);
    treeLayout->invalidate();
    checkBoxReadyToShip->setVisible(position);
    frTextDecor->setEnabled(!position && !m_readOnly);
    setWindowTitle(position ? QStringLiteral("Изделие") : QStringLiteral("Заявка на разработку"));
    checkControls();
}

void QDealPosDialog::setCurrency(QString currency)
{
    labelSalePriceCurrency->setText(currency);
}

void QDealPosDialog::setReadOnly(bool readOnly)
{
    m_readOnly = readOnly;
    for (QWidget *widget : {static_cast<QWidget *>(buttonAdd), static_cast<QWidget *>(m_tree),
                            static_cast<QWidget *>(buttonCalc), static_cast<QWidget *>(cbNDS),
                            static_cast<QWidget *>(checkBoxReadyToShip)})
        widget->setEnabled(!readOnly);
    cbVAT->setEnabled(!readOnly && !cbNDS->isChecked());
    frTextDecor->setEnabled(!readOnly && m_type == DevelopmentWork);
    for (QAbstractSpinBox *box : {static_cast<QAbstractSpinBox *>(sbQty), static_cast<QAbstractSpinBox *>(sbCost),
                                  static_cast<QAbstractSpinBox *>(sbCostAdd),
                                  static_cast<QAbstractSpinBox *>(sbSalePrice),
                                  static_cast<QAbstractSpinBox *>(deExecution)})
        box->setReadOnly(readOnly);
    leURL->setReadOnly(readOnly);
    leName->setReadOnly(readOnly);
    teDescr->setReadOnly(readOnly);
    teProblems->setReadOnly(readOnly);
    m_files->setReadOnly(readOnly);
    buttonAccept->setVisible(!readOnly);
    buttonReject->setText(readOnly ? QStringLiteral("Закрыть") : QStringLiteral("Отмена"));
    initUi();
}

void QDealPosDialog::setData(QSqlRecord record)
{
    if (record.isEmpty())
        return;
    const QVariant item = record.value(field("id_item"));
    m_itemId = item.isNull() ? -1 : item.toLongLong();
    if (m_itemId >= 1) {
        const QVariant name = getValueById(m_document, QStringLiteral("t_item"), m_itemId, field("c_name"));
        labelItem->setText(name.isValid() ? name.toString() : record.value(field("c_name")).toString());
    }

    leURL->setText(record.value(field("c_url")).toString());
    leName->setText(record.value(field("c_name")).toString());
    // Long names and addresses show from their beginning.
    leURL->setCursorPosition(0);
    leName->setCursorPosition(0);
    // The unit first: it sets the decimals the quantity is shown with.
    const QVariant unit = record.value(field("id_meas_unit"));
    if (!unit.isNull())
        cbMeas->setCurrentIndex(cbMeas->findData(unit));
    const double quantity = record.value(field("n_qty")).toDouble();
    setQuantityDecimals(unitPrecision(cbMeas->currentData()), quantity);
    sbQty->setValue(quantity);
    sbCost->setValue(record.value(field("n_cost")).toDouble());
    sbCostAdd->setValue(record.value(field("n_cost_add")).toDouble());
    sbSalePrice->setValue(record.value(field("n_sale_price")).toDouble());
    {
        const QSignalBlocker blocker(cbNDS);
        cbNDS->setChecked(record.value(field("b_add_nds")).toBool());
    }
    cbVAT->setEnabled(!m_readOnly && !cbNDS->isChecked());
    const QDate execution = record.value(field("d_execution")).toDate();
    if (execution.isValid())
        deExecution->setDate(execution);
    teDescr->setHtml(record.value(field("c_description")).toString());
    teProblems->setPlainText(record.value(field("c_problems")).toString());
    const QVariant vat = record.value(field("id_vat"));
    if (!vat.isNull())
        cbVAT->setCurrentIndex(cbVAT->findData(vat, VatIdRole));
    {
        const QSignalBlocker blocker(checkBoxReadyToShip);
        checkBoxReadyToShip->setChecked(record.value(field("b_ready_to_ship")).toBool());
    }
    m_hasConversion = false;

    initUi();
    m_loaded = record;
    m_shown = formRecord();
    revealChosenItem();
    // Files go to a saved line only: a new one has no key to hang them on yet.
    const long long id = record.value(field("id")).toLongLong();
    m_files->setData(id);
    m_files->setVisible(id >= 1);
    checkControls();
}

QSqlRecord QDealPosDialog::formRecord() const
{
    QSqlRecord form;
    const auto add = [&form](const char *name, const QVariant &value) {
        form.append(QSqlField(field(name), value.type()));
        form.setValue(field(name), value);
    };
    add("c_url", leURL->text());
    add("c_name", m_itemId >= 1 ? labelItem->text() : leName->text());
    add("n_qty", sbQty->value());
    add("n_cost", sbCost->value());
    add("n_cost_add", sbCostAdd->value());
    add("n_sale_price", sbSalePrice->value());
    add("b_add_nds", cbNDS->isChecked());
    add("d_execution", deExecution->date());
    add("c_description", teDescr->toHtml());
    add("c_problems", teProblems->toPlainText());
    add("id_meas_unit", cbMeas->currentData());
    add("id_vat", cbVAT->currentData(VatIdRole));
    add("b_ready_to_ship", checkBoxReadyToShip->isChecked());
    return form;
}

void QDealPosDialog::getData(QSqlRecord *record) const
{
    if (!record)
        return;
    if (m_itemId > 0)
        record->setValue(field("id_item"), m_itemId);
    const QSqlRecord form = formRecord();
    for (int i = 0; i < form.count(); ++i) {
        const QString name = form.fieldName(i);
        // What the person left as it was shown goes back as it was stored: an
        // empty unit stays empty, a description keeps its own markup.
        const bool untouched = m_shown.contains(name) && m_shown.value(name) == form.value(i)
                && m_loaded.contains(name);
        record->setValue(name, untouched ? m_loaded.value(name) : form.value(i));
    }
}

void QDealPosDialog::accept()
{
    if (cbVAT->currentIndex() < 0) {
        QMessageBox::warning(this, QStringLiteral("Внимание"), QStringLiteral("Задайте НДС"), QMessageBox::Ok);
        return;
    }
    QDialog::accept();
}

void QDealPosDialog::itemSelected()
{
    const QTreeWidgetItem *node = m_tree ? m_tree->currentNode() : nullptr;
    buttonAdd->setEnabled(!m_readOnly && node && ItemTreeNode::itemId(node) >= 1);
}

void QDealPosDialog::revealChosenItem()
{
    // Until the tree is built there is nothing to open; its end of building comes back here.
    if (m_type != Position || m_itemId < 1 || m_tree->isBuilding() || m_tree->treeWidget()->topLevelItemCount() == 0)
        return;
    if (m_tree->currentItemId() != m_itemId)
        m_tree->revealItem(m_itemId);
}

void QDealPosDialog::on_buttonAdd_clicked()
{
    const QTreeWidgetItem *node = m_tree ? m_tree->currentNode() : nullptr;
    if (m_readOnly || !node || ItemTreeNode::itemId(node) < 1)
        return;
    m_itemId = ItemTreeNode::itemId(node);
    labelItem->setText(node->text(0));
    cbMeas->setCurrentIndex(cbMeas->findData(node->data(0, ItemTreeNode::MeasUnitIdRole)));
    calcCost();
    checkControls();
}

void QDealPosDialog::on_buttonDel_clicked()
{
    m_itemId = -1;
    labelItem->setText(QStringLiteral("Запрос на разработку"));
    checkControls();
}

void QDealPosDialog::on_cbMeas_currentIndexChanged(int index)
{
    if (index < 0)
        return;
    const int precision = unitPrecision(cbMeas->itemData(index));
    if (precision >= 0)
        sbQty->setDecimals(precision);
}

int QDealPosDialog::unitPrecision(const QVariant &unitId) const
{
    QDataTable *units = m_document ? m_document->getTable(QStringLiteral("t_meas_unit")) : nullptr;
    if (!units || unitId.isNull())
        return -1;
    units->open();
    const int row = units->locate(field("id"), unitId);
    return row < 0 ? -1 : units->getRecord(row).value(field("n_precission")).toInt();
}

void QDealPosDialog::setQuantityDecimals(int precision, double quantity)
{
    const int decimals = qMax(precision < 0 ? sbQty->decimals() : precision, decimalsOf(quantity));
    sbQty->setDecimals(decimals);
}

void QDealPosDialog::calcCost()
{
    QSqlConnection *connection = AppContext::connection();
    double cost = 0;
    if (connection) {
        QSqlQuery query = connection->execScript(QStringLiteral("SELECT COALESCE(inv.n_get_price( :1 ), 0);"),
                                                 QList<QVariant>{m_itemId});
        if (query.isSelect() && query.isValid())
            cost = query.value(0).toDouble();
    }
    sbCost->setValue(cost);
}

double QDealPosDialog::vatRate() const
{
    bool ok = false;
    const double rate = cbVAT->currentText().toDouble(&ok);
    return ok ? rate : 0;
}

void QDealPosDialog::on_cbNDS_stateChanged(int state)
{
    const bool withVat = state != Qt::Unchecked;
    cbVAT->setEnabled(!withVat && !m_readOnly);
    if (cbVAT->currentIndex() < 0)
        return;
    const double rate = vatRate();
    const double price = sbSalePrice->value();
    // Back to the price the last conversion started from when nobody touched
    // the result since: a price rounded there and back may be a kopeck off.
    const bool undo = m_hasConversion && price == m_convertedPrice && rate == m_conversionRate;
    const double converted = undo ? m_priceBeforeConversion
                                  : withVat ? VatPrice::addVat(price, rate, sbSalePrice->decimals())
                                            : VatPrice::removeVat(price, rate, sbSalePrice->decimals());
    sbSalePrice->setValue(converted);
    m_convertedPrice = sbSalePrice->value();
    m_priceBeforeConversion = price;
    m_conversionRate = rate;
    m_hasConversion = true;
}

void QDealPosDialog::initFontDecor()
{
    const QList<int> sizes = QFontDatabase::standardSizes();
    for (int size : sizes)
        cbSize->addItem(QString::number(size));
    btAlignLeft->setProperty(alignTag, 1);
    btAlignRight->setProperty(alignTag, 2);
    btAlignCenter->setProperty(alignTag, 3);
    btAlignNone->setProperty(alignTag, 0);

    connect(teDescr, &QTextEdit::currentCharFormatChanged, this, &QDealPosDialog::currentCharFormatChanged);
    connect(teDescr, &QTextEdit::cursorPositionChanged, this, &QDealPosDialog::cursorPositionChanged);
    connect(cbSize, &QComboBox::textActivated, this, &QDealPosDialog::textSize);
    connect(cbFont, &QComboBox::textActivated, this, &QDealPosDialog::textFamily);
    for (QToolButton *button : {btBold, btItalic, btUnderline})
        connect(button, &QToolButton::toggled, this, &QDealPosDialog::textKegel);
    connect(btgAlign, QOverload<QAbstractButton *, bool>::of(&QButtonGroup::buttonToggled), this,
            [this](QAbstractButton *button, bool checked) {
                if (checked)
                    textAlign(button);
            });

    const QFont font = teDescr->font();
    cbFont->setCurrentIndex(cbFont->findText(QFontInfo(font).family()));
    cbSize->setCurrentIndex(cbSize->findText(QString::number(font.pointSize())));
    alignmentChanged(teDescr->alignment());
}

void QDealPosDialog::mergeTextFormat(QTextCharFormat format)
{
    QTextCursor cursor = teDescr->textCursor();
    if (!cursor.hasSelection())
        cursor.select(QTextCursor::WordUnderCursor);
    cursor.mergeCharFormat(format);
    teDescr->mergeCurrentCharFormat(format);
}

void QDealPosDialog::textFamily(QString family)
{
    QTextCharFormat format;
    format.setFontFamily(family);
    mergeTextFormat(format);
}

void QDealPosDialog::textSize(QString text)
{
    const qreal size = text.toDouble();
    if (size <= 0)
        return;
    QTextCharFormat format;
    format.setFontPointSize(size);
    mergeTextFormat(format);
}

void QDealPosDialog::textKegel()
{
    QTextCharFormat format;
    format.setFontWeight(btBold->isChecked() ? QFont::Bold : QFont::Normal);
    format.setFontItalic(btItalic->isChecked());
    format.setFontUnderline(btUnderline->isChecked());
    mergeTextFormat(format);
}

void QDealPosDialog::textAlign(QAbstractButton *button)
{
    if (!button || !button->isChecked())
        return;
    switch (button->property(alignTag).toInt()) {
    case 1:
        teDescr->setAlignment(Qt::AlignLeft | Qt::AlignAbsolute);
        break;
    case 2:
        teDescr->setAlignment(Qt::AlignRight | Qt::AlignAbsolute);
        break;
    case 3:
        teDescr->setAlignment(Qt::AlignHCenter);
        break;
    default:
        teDescr->setAlignment(Qt::AlignJustify);
        break;
    }
}

void QDealPosDialog::currentCharFormatChanged(QTextCharFormat format)
{
    const QFont font = format.font();
    const QSignalBlocker fontBlocker(cbFont);
    const QSignalBlocker sizeBlocker(cbSize);
    cbFont->setCurrentIndex(cbFont->findText(QFontInfo(font).family()));
    cbSize->setCurrentIndex(cbSize->findText(QString::number(font.pointSize())));
    // Reflecting the cursor's format is no request to change it.
    const QSignalBlocker boldBlocker(btBold);
    const QSignalBlocker italicBlocker(btItalic);
    const QSignalBlocker underlineBlocker(btUnderline);
    btBold->setChecked(font.weight() >= 58);
    btItalic->setChecked(font.style() != QFont::StyleNormal);
    btUnderline->setChecked(font.underline());
}

void QDealPosDialog::cursorPositionChanged()
{
    alignmentChanged(teDescr->alignment());
}

void QDealPosDialog::alignmentChanged(Qt::Alignment alignment)
{
    const QSignalBlocker blocker(btgAlign);
    if (alignment & Qt::AlignLeft)
        btAlignLeft->setChecked(true);
    else if (alignment & Qt::AlignRight)
        btAlignRight->setChecked(true);
    else if (alignment & Qt::AlignHCenter)
        btAlignCenter->setChecked(true);
    else if (alignment & Qt::AlignJustify)
        btAlignNone->setChecked(true);
}
