#ifndef QDEALPOSDIALOG_H
#define QDEALPOSDIALOG_H

#include "dealsglobal.h"
#include "ui_qdealposdialog.h"

#include <QDialog>
#include <QSqlRecord>
#include <QTextCharFormat>

class FileInstantWidget;
class ItemProductTree;
class QAbstractButton;
class QDataSet;

// One line of a deal, entered, edited or viewed: a position (an item of the
// catalogue, picked in the product tree, with quantity, unit, cost, sale
// price, VAT and delivery date) or a development-work request (a described
// piece of work with the same money fields). The caller sets the type, the
// currency and the row, runs the dialog and, once accepted, reads the row
// back with getData():
//
//     QDealPosDialog dialog(document);
//     dialog.setGeometry(bounds());
//     dialog.setType(QDealPosDialog::Position);
//     dialog.setCurrency(currency);
//     dialog.setData(row);                 // nothing for a new line
//     if (dialog.exec() == QDialog::Accepted)
//         dialog.getData(&row);
//
// The sale price is the price of the whole line. Ticking "с НДС" turns the
// price entered into the same price with VAT at the chosen rate, unticking
// turns it back; a price converted there and back is the price entered.
class DEALS_EXPORT QDealPosDialog : public QDialog, private Ui::QDealPosDialog
{
    Q_OBJECT

public:
    enum Type {
        Position = 1,
        DevelopmentWork = 2
    };
    Q_ENUM(Type)

    explicit QDealPosDialog(QDataSet *document, QWidget *parent = nullptr);

    Type type() const { return m_type; }
    void setType(Type type);
    void setCurrency(QString currency);
    void setReadOnly(bool readOnly);
    void setData(QSqlRecord record);
    void getData(QSqlRecord *record) const;

    // The catalogue item of the line, -1 without one.
    long long itemId() const { return m_itemId; }
    ItemProductTree *itemTree() const { return m_tree; }
    FileInstantWidget *files() const { return m_files; }

public Q_SLOTS:
    void accept() override;
    void itemSelected();
    void checkControls();
    void mergeTextFormat(QTextCharFormat format);
    void currentCharFormatChanged(QTextCharFormat format);
    void alignmentChanged(Qt::Alignment alignment);
    void textKegel();
    void textSize(QString text);
    void textFamily(QString family);
    void textAlign(QAbstractButton *button);
    void cursorPositionChanged();
    void calcCost();

    void on_cbMeas_currentIndexChanged(int index);
    void on_buttonAdd_clicked();
    void on_buttonDel_clicked();
    void on_cbNDS_stateChanged(int state);

private:
    void initData();
    void initUi();
    void initFontDecor();
    void connectInputs();
    // The decimals of sbQty for the unit's precision, and enough of them for
    // a stored quantity that has more, so that showing a line never rounds it.
    void setQuantityDecimals(int precision, double quantity);
    int unitPrecision(const QVariant &unitId) const;
    // Opens the product tree at the line's item.
    void revealChosenItem();
    // The line as the form shows it now.
    QSqlRecord formRecord() const;
    double vatRate() const;

    Type m_type = Position;
    QDataSet *m_document = nullptr;
    long long m_itemId = -1;
    ItemProductTree *m_tree = nullptr;
    FileInstantWidget *m_files = nullptr;
    bool m_readOnly = false;
    // The line handed to setData() and the form as it showed it then.
    QSqlRecord m_loaded;
    QSqlRecord m_shown;

    // The last VAT conversion, so that converting back restores the price
    // entered instead of a price rounded twice.
    bool m_hasConversion = false;
    double m_convertedPrice = 0;
    double m_priceBeforeConversion = 0;
    double m_conversionRate = 0;
};

#endif // QDEALPOSDIALOG_H
