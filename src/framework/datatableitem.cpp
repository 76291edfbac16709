#include "datatableitem.h"

#include <QDateTime>
#include <QLocale>
#include <QStandardItemModel>


struct DataTableItem::Extra
{
    enum Part {
        Original = 1,
        Text = 2,
        Icon = 4,
        Foreground = 8,
        Background = 16,
        ToolTip = 32,
        Font = 64,
        Edited = 128
    };

    int parts = 0;
    QVariant original;
    QVariant edited; // what a view's editor wrote, until the cell is stored again
    QString text;
    QIcon icon;
    QBrush foreground;
    QBrush background;
    QString toolTip;
    QFont font;

    bool has(Part part) const { return parts & part; }
    void set(Part part, bool on) { parts = on ? (parts | part) : (parts & ~part); }
};

DataTableItem::DataTableItem(const QVariant &value)
    : m_value(value)
{
}

DataTableItem::~DataTableItem() = default;

DataTableItem::Extra &DataTableItem::extra()
{
    if (!m_extra)
        m_extra = std::make_unique<Extra>();
    return *m_extra;
}

void DataTableItem::dropExtraWhenEmpty()
{
    if (m_extra && m_extra->parts == 0)
        m_extra.reset();
}

QString DataTableItem::textOf(const QVariant &value)
{
    // Keys are mostly whole numbers and texts: written directly, as toString()
    // writes them, without the variant's conversion machinery.
    switch (value.userType()) {
    case QMetaType::LongLong:
        return value.isNull() ? QString() : QString::number(*static_cast<const qlonglong *>(value.constData()));
    case QMetaType::Int:
        return value.isNull() ? QString() : QString::number(*static_cast<const int *>(value.constData()));
    case QMetaType::QString:
        return *static_cast<const QString *>(value.constData());
    case QMetaType::Double:
        if (value.isNull())
            return QString();
        return QString::number(*static_cast<const double *>(value.constData()), 'g', QLocale::FloatingPointShortest);
    case QMetaType::QDate:
        if (value.isNull())
            return QString();
        return isoText(*static_cast<const QDate *>(value.constData()), nullptr);
    case QMetaType::QDateTime: {
        // Local times, as the database's are read, written without the
        // toolkit's formatter, which goes through printf for every field.
        const QDateTime &moment = *static_cast<const QDateTime *>(value.constData());
        if (value.isNull())
            return QString();
        if (moment.timeSpec() == Qt::LocalTime) {
            const QTime time = moment.time();
            const QString text = isoText(moment.date(), &time);
            if (!text.isNull())
                return text;
        }
        break;
    }
    default:
        break;
    }
    if (!value.isValid() || value.isNull())
        return QString();
    return value.toString();
}

QString DataTableItem::isoText(const QDate &date, const QTime *time)
{
    int year = 0;
    int month = 0;
    int day = 0;
    date.getDate(&year, &month, &day);
    // Years the ISO form has four digits for; the toolkit writes the others.
    if (!date.isValid() || year < 0 || year > 9999 || (time && !time->isValid()))
        return QString();
    QString text(time ? 23 : 10, Qt::Uninitialized);
    QChar *out = text.data();
    const auto put = [&out](int number, int digits) {
        for (int i = digits - 1; i >= 0; --i, number /= 10)
            out[i] = QLatin1Char(char('0' + number % 10));
        out += digits;
    };
    const auto sign = [&out](char c) { *out++ = QLatin1Char(c); };
    put(year, 4);
    sign('-');
    put(month, 2);
    sign('-');
    put(day, 2);
    if (time) {
        sign('T');
        put(time->hour(), 2);
        sign(':');
        put(time->minute(), 2);
        sign(':');
        put(time->second(), 2);
        sign('.');
        put(time->msec(), 3);
    }
    return text;
}

bool DataTableItem::sameValue(const QVariant &a, const QVariant &b)
{
    if (a.userType() != b.userType() || a.isNull() != b.isNull())
        return false;
    return a.isNull() || a == b;
}

QVariant DataTableItem::originalValue() const
{
    if (m_extra && m_extra->has(Extra::Original))
        return m_extra->original;
    return m_value;
}

QString DataTableItem::displayText() const
{
    if (m_extra && m_extra->has(Extra::Text))
        return m_extra->text;
    return textOf(m_value);
}

bool DataTableItem::storeValue(const QVariant &value)
{
    if (sameValue(m_value, value))
        return false;
    if (!m_extra || !m_extra->has(Extra::Original)) {
        Extra &e = extra();
        e.original = m_value;
        e.set(Extra::Original, true);
    }
    m_value = value;
    return true;
}

void DataTableItem::acceptValue()
{
    if (!m_extra)
        return;
    m_extra->original = QVariant();
    m_extra->set(Extra::Original, false);
    dropExtraWhenEmpty();
}

bool DataTableItem::restoreOriginal()
{
    if (!m_extra || !m_extra->has(Extra::Original))
        return false;
    m_value = m_extra->original;
    acceptValue();
    return true;
}

bool DataTableItem::showsValueOnly(const cellData &cell, const cellData &defaults)
{
    return cell.text == defaults.text && cell.icon.isNull() && cell.foreground == cellData::defaultForeground()
            && cell.background.style() == Qt::NoBrush && cell.font == defaults.font && cell.toolTip.isEmpty();
}

void DataTableItem::applyCell(const cellData &cell, const cellData &defaults)
{
    if (!m_extra && showsValueOnly(cell, defaults))
        return;
    const bool customText = cell.text != defaults.text;
    const bool customIcon = !cell.icon.isNull();
    const bool customForeground = cell.foreground != cellData::defaultForeground();
    const bool customBackground = cell.background.style() != Qt::NoBrush;
    const bool customFont = cell.font != defaults.font;
    const bool toolTip = !cell.toolTip.isEmpty();

    Extra &e = extra();
    e.text = customText ? cell.text : QString();
    e.set(Extra::Text, customText);
    e.icon = customIcon ? cell.icon : QIcon();
    e.set(Extra::Icon, customIcon);
    e.foreground = customForeground ? cell.foreground : QBrush();
    e.set(Extra::Foreground, customForeground);
    e.background = customBackground ? cell.background : QBrush();
    e.set(Extra::Background, customBackground);
    e.font = customFont ? cell.font : QFont();
    e.set(Extra::Font, customFont);
    // The cell now shows what was stored: an editor's text is answered.
    e.edited = QVariant();
    e.set(Extra::Edited, false);
    // A tool tip once given stays until another replaces it.
    if (toolTip) {
        e.toolTip = cell.toolTip;
        e.set(Extra::ToolTip, true);
    }
    dropExtraWhenEmpty();
}

void DataTableItem::clearDecoration()
{
    if (!m_extra)
        return;
    m_extra->set(Extra::Text, false);
    m_extra->set(Extra::Icon, false);
    m_extra->set(Extra::Foreground, false);
    m_extra->set(Extra::Background, false);
    m_extra->set(Extra::Edited, false);
    m_extra->text.clear();
    m_extra->icon = QIcon();
    m_extra->edited = QVariant();
    dropExtraWhenEmpty();
}

namespace {

// A cell made in a slot whose value was packed in its row's head: it takes
// that value the first time it is read or written there. Only such cells
// carry the flag; a loaded cell stays as small as it was.
class PackedCellItem : public DataTableItem
{
public:
    QStandardItem *clone() const override
    {
        auto *copy = new PackedCellItem;
        copyCellInto(copy);
        copy->m_adopts = m_adopts;
        return copy;
    }

    void adoptPackedValue() const override
    {
        if (!m_adopts)
            return;
        // A top-level cell of a model: parent() answers null for those.
        const QStandardItemModel *owner = model();
        if (!owner || parent())
            return;
        m_adopts = false;
        const int at = column();
        QStandardItem *first = owner->item(row(), 0);
        if (at <= 0 || !first || first->type() != UserType + 2)
            return;
        auto *head = static_cast<DataTableRowItem *>(first);
        if (head->hasPacked(at))
            adoptValue(head->takePacked(at));
    }

private:
    mutable bool m_adopts = true;
};

} // namespace

DataTableItem *DataTableItem::makePrototype()
{
    return new PackedCellItem;
}

QVariant DataTableItem::data(int role) const
{
    adoptPackedValue();
    switch (role) {
    case Qt::DisplayRole:
        return displayText();
    case Qt::EditRole:
        // The value, not what a callback shows for it (a name for a key), so
        // that an edit is compared with and announced against the value.
        return m_extra && m_extra->has(Extra::Edited) ? m_extra->edited : m_value;
    case OriginalValueRole:
        return originalValue();
    case ValueRole:
        return m_value;
    case Qt::DecorationRole:
        return m_extra && m_extra->has(Extra::Icon) ? QVariant(m_extra->icon) : QVariant();
    case Qt::ForegroundRole:
        return m_extra && m_extra->has(Extra::Foreground) ? QVariant(m_extra->foreground)
                                                          : QVariant(cellData::defaultForeground());
    case Qt::BackgroundRole:
        return m_extra && m_extra->has(Extra::Background) ? QVariant(m_extra->background) : QVariant();
    case Qt::ToolTipRole:
        return m_extra && m_extra->has(Extra::ToolTip) ? QVariant(m_extra->toolTip) : QVariant();
    case Qt::FontRole:
        return m_extra && m_extra->has(Extra::Font) ? QVariant(m_extra->font) : QVariant();
    default:
        return QStandardItem::data(role);
    }
}

void DataTableItem::setData(const QVariant &value, int role)
{
    adoptPackedValue();
    const bool clearing = !value.isValid();
    switch (role) {
    case Qt::EditRole:
        // The typed text shows until somebody stores a value for it.
        extra().edited = value;
        extra().set(Extra::Edited, !clearing);
        Q_FALLTHROUGH();
    case Qt::DisplayRole:
        extra().text = value.toString();
        extra().set(Extra::Text, !clearing);
        break;
    case OriginalValueRole:
        extra().original = value;
        extra().set(Extra::Original, !sameValue(value, m_value));
        break;
    case ValueRole:
        storeValue(value);
        break;
    case Qt::DecorationRole:
        extra().icon = qvariant_cast<QIcon>(value);
        extra().set(Extra::Icon, !clearing);
        break;
    case Qt::ForegroundRole:
        extra().foreground = qvariant_cast<QBrush>(value);
        extra().set(Extra::Foreground, !clearing);
        break;
    case Qt::BackgroundRole:
        extra().background = qvariant_cast<QBrush>(value);
        extra().set(Extra::Background, !clearing);
        break;
    case Qt::ToolTipRole:
        extra().toolTip = value.toString();
        extra().set(Extra::ToolTip, !clearing);
        break;
    case Qt::FontRole:
        extra().font = qvariant_cast<QFont>(value);
        extra().set(Extra::Font, !clearing);
        break;
    default:
        QStandardItem::setData(value, role);
        return;
    }
    dropExtraWhenEmpty();
    emitDataChanged();
}

void DataTableItem::copyCellInto(DataTableItem *copy) const
{
    copy->QStandardItem::operator=(*this);
    copy->m_value = m_value;
    if (m_extra)
        copy->m_extra = std::make_unique<Extra>(*m_extra);
}

QStandardItem *DataTableItem::clone() const
{
    auto *copy = new DataTableItem;
    copyCellInto(copy);
    return copy;
}

DataTableRowItem::DataTableRowItem(const QVariant &value)
    : DataTableItem(value)
{
}

QVariant DataTableRowItem::data(int role) const
{
    if (role == RowStateRole)
        return m_state;
    if (role == LockRole)
        return m_lock;
    return DataTableItem::data(role);
}

void DataTableRowItem::setData(const QVariant &value, int role)
{
    if (role == RowStateRole) {
        m_state = value.toInt();
        emitDataChanged();
        return;
    }
    if (role == LockRole) {
        m_lock = value.toInt();
        emitDataChanged();
        return;
    }
    DataTableItem::setData(value, role);
}

QStandardItem *DataTableRowItem::clone() const
{
    auto *copy = new DataTableRowItem;
    copyCellInto(copy);
    copy->m_state = m_state;
    copy->m_lock = m_lock;
    return copy;
}

DataTableRowItem::~DataTableRowItem()
{
    freePacked();
}

void DataTableRowItem::freePacked()
{
    if (!m_packed)
        return;
    QVariant *values = packedValues();
    const int count = qPopulationCount(packedLayout());
    for (int i = 0; i < count; ++i)
        values[i].~QVariant();
    ::operator delete(m_packed);
    m_packed = nullptr;
    m_packedLive = 0;
}

void DataTableRowItem::setPacked(const QVariant *values, int count, quint64 mask)
{
    freePacked();
    if (count < 64)
        mask &= (quint64(1) << count) - 1;
    mask &= ~quint64(1);
    if (!mask)
        return;
    m_packed = static_cast<quint64 *>(::operator new(sizeof(quint64) + qPopulationCount(mask) * sizeof(QVariant)));
    m_packed[0] = mask;
    m_packedLive = mask;
    QVariant *slot = packedValues();
    for (int c = 1; c < count && c < 64; ++c) {
        if ((mask >> c) & 1)
            new (slot++) QVariant(values[c]);
    }
}

QVariant DataTableRowItem::takePacked(int column)
{
    if (!hasPacked(column))
        return QVariant();
    m_packedLive &= ~(quint64(1) << column);
    QVariant &slot = packedValues()[slotOf(column)];
    QVariant value = slot;
    slot = QVariant();
    return value;
}
