#include "widgetsdemo.h"

#include "combobox.h"
#include "qbubbletip.h"
#include "qchasewidget.h"
#include "qinputdialogex.h"
#include "qrecentlistdialog.h"
#include "qwaitdialog.h"
#include "widgetutils.h"

#include <QApplication>
#include <QBitmap>
#include <QDateEdit>
#include <QFormLayout>
#include <QGridLayout>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QLocale>
#include <QPainter>
#include <QPushButton>
#include <QStandardItemModel>
#include <QVBoxLayout>

namespace {

constexpr int bubbleInfo = 0;
constexpr int bubbleWarning = 1;
constexpr int bubbleCritical = 2;

// What an editor shows when its input does not pass the checks.
QString errorLines()
{
    const QString line = QStringLiteral(
        "<p style=\" font-size:12pt; margin-top:0px; margin-bottom:0px; margin-left:0px; margin-right:0px;"
        " -qt-block-indent:0; text-indent:0px\"><span style=\"color:#ff0000;\"><b>\t-%1</b></span> - %2</p>");
    return QStringLiteral("<style type=\"text/css\">p, li { white-space: pre-wrap; }</style>")
            + line.arg(QStringLiteral("Получатель"), QStringLiteral("не задан"))
            + line.arg(QStringLiteral("Валюта"), QStringLiteral("не задана"));
}

QPoint pointBelow(const QWidget *widget)
{
    return widget->mapToGlobal(QPoint(24, widget->height() - 4));
}

} // namespace

WidgetsDemo::WidgetsDemo(QWidget *parent)
    : QWidget(parent)
    , m_field(new QLineEdit(this))
    , m_result(new QLabel(this))
    , m_recent(new QStandardItemModel(0, 1, this))
{
    setObjectName(QStringLiteral("WidgetsDemo"));
    setWindowTitle(QStringLiteral("Общие виджеты"));
    for (const QString &name : {QStringLiteral("ООО «Альфа-Снаб»"), QStringLiteral("АО «Бета Трейд»"),
                                QStringLiteral("ИП Гаврилов"), QStringLiteral("ООО «Дельта»")})
        m_recent->appendRow(new QStandardItem(name));

    m_result->setObjectName(QStringLiteral("lbResult"));
    m_result->setText(QStringLiteral("Результат: —"));

    auto *layout = new QVBoxLayout(this);
    layout->addWidget(createBubbleGroup());
    layout->addWidget(createInputGroup());
    layout->addWidget(createBusyGroup());
    layout->addWidget(m_result);
    layout->addStretch();
}

QWidget *WidgetsDemo::createBubbleGroup()
{
    auto *group = new QGroupBox(QStringLiteral("Всплывающие подсказки"), this);
    auto *grid = new QGridLayout(group);
    m_field->setObjectName(QStringLiteral("edField"));
    m_field->setPlaceholderText(QStringLiteral("Поле, к которому относится подсказка"));
    grid->addWidget(m_field, 0, 0, 1, 3);
    const QStringList captions = {QStringLiteral("Сведения"), QStringLiteral("Предупреждение"),
                                  QStringLiteral("Ошибка")};
    for (int kind = bubbleInfo; kind <= bubbleCritical; ++kind) {
        auto *button = new QPushButton(captions.at(kind), group);
        connect(button, &QPushButton::clicked, this, [this, kind] { showBubble(kind); });
        grid->addWidget(button, 1, kind);
    }
    return group;
}

QWidget *WidgetsDemo::createInputGroup()
{
    auto *group = new QGroupBox(QStringLiteral("Ввод значения"), this);
    auto *grid = new QGridLayout(group);
    const QList<QPair<QString, QString>> kinds = {
        {QStringLiteral("string"), QStringLiteral("Строка")},  {QStringLiteral("int"), QStringLiteral("Целое")},
        {QStringLiteral("double"), QStringLiteral("Число")},   {QStringLiteral("date"), QStringLiteral("Дата")},
        {QStringLiteral("time"), QStringLiteral("Время")},     {QStringLiteral("datetime"), QStringLiteral("Дата и время")},
        {QStringLiteral("bool"), QStringLiteral("Флажок")},    {QStringLiteral("boolnull"), QStringLiteral("Флажок с третьим состоянием")},
    };
    for (int i = 0; i < kinds.size(); ++i) {
        const QString kind = kinds.at(i).first;
        auto *button = new QPushButton(kinds.at(i).second, group);
        connect(button, &QPushButton::clicked, this, [this, kind] { askValue(kind); });
        grid->addWidget(button, i / 4, i % 4);
    }
    auto *recent = new QPushButton(QStringLiteral("Недавние..."), group);
    connect(recent, &QPushButton::clicked, this, &WidgetsDemo::pickRecent);
    grid->addWidget(recent, 2, 0);
    auto *combo = new ComboBox(group);
    combo->setToolTip(QStringLiteral("Колесо мыши не меняет выбор"));
    combo->addItems({QStringLiteral("Рубль"), QStringLiteral("Доллар США"), QStringLiteral("Евро")});
    grid->addWidget(combo, 2, 1, 1, 3);
    return group;
}

QWidget *WidgetsDemo::createBusyGroup()
{
    auto *group = new QGroupBox(QStringLiteral("Ожидание"), this);
    auto *row = new QHBoxLayout(group);
    auto *chase = new QChaseWidget(group);
    chase->setObjectName(QStringLiteral("chaseDemo"));
    chase->setFixedSize(32, 32);
    chase->setAnimated(true);
    auto *still = new QChaseWidget(group);
    still->setFixedSize(32, 32);
    auto *wait = new QPushButton(QStringLiteral("Окно ожидания на 3 секунды"), group);
    connect(wait, &QPushButton::clicked, this, &WidgetsDemo::showWaitWindow);
    row->addWidget(chase);
    row->addWidget(still);
    row->addWidget(wait);
    row->addStretch();
    return group;
}

void WidgetsDemo::showBubble(int kind)
{
    const QPoint pos = pointBelow(m_field);
    switch (kind) {
    case bubbleInfo:
        QBubbleTip::info(QStringLiteral("Сведения"), QStringLiteral("Сделка сохранена."), pos, 5000);
        break;
    case bubbleWarning:
        QBubbleTip::warning(QStringLiteral("Ошибки"), errorLines(), pos, 0, true, true);
        break;
    default:
        QBubbleTip::critical(QStringLiteral("Ошибка"), QStringLiteral("Нет связи с базой данных."), pos, 5000);
        break;
    }
}

void WidgetsDemo::askValue(const QString &kind)
{
    bool ok = false;
    QString value;
    if (kind == QLatin1String("string"))
        value = QInputDialogEx::getString(this, QStringLiteral("Новый тип контакта"),
                                          QStringLiteral("Введите тип контакта"), QString(), &ok);
    else if (kind == QLatin1String("int"))
        value = QString::number(QInputDialogEx::getInt(this, QStringLiteral("Оценка поставщика"),
                                                       QStringLiteral("Оценка от 0 до 10"), 5, 0, 10, &ok));
    else if (kind == QLatin1String("double"))
        value = QLocale().toString(QInputDialogEx::getDouble(this, QStringLiteral("Оценка поставщика"),
                                                             QStringLiteral("Введите признак плохого поставщика "),
                                                             2.5, 2, 0, 10, &ok));
    else if (kind == QLatin1String("date"))
        value = QLocale().toString(QInputDialogEx::getDate(this, QStringLiteral("Дата"), QStringLiteral("Дата поставки"),
                                                           QDate::currentDate(), &ok), QLocale::ShortFormat);
    else if (kind == QLatin1String("time"))
        value = QLocale().toString(QInputDialogEx::getTime(this, QStringLiteral("Время"), QStringLiteral("Время доставки"),
                                                           QTime(12, 0), &ok), QLocale::ShortFormat);
    else if (kind == QLatin1String("datetime"))
        value = QLocale().toString(QInputDialogEx::getDateTime(this, QStringLiteral("Дата и время"),
                                                               QStringLiteral("Напомнить"), QDateTime::currentDateTime(), &ok),
                                   QLocale::ShortFormat);
    else if (kind == QLatin1String("bool"))
        value = QInputDialogEx::getBool(this, QStringLiteral("Флажок"), QStringLiteral("Сделка закрыта"), false, &ok)
                ? QStringLiteral("да") : QStringLiteral("нет");
    else
        value = QInputDialogEx::getBoolNull(this, QStringLiteral("Флажок"), QStringLiteral("Оплачено"), false, &ok)
                .toBool() ? QStringLiteral("да") : QStringLiteral("нет");
    showResult(ok ? value : QStringLiteral("отменено"));
}

void WidgetsDemo::showWaitWindow()
{
    QWaitDialog wait(QStringLiteral("Загрузка данных"), this);
    wait.show();
    delayMs(3000);
}

void WidgetsDemo::pickRecent()
{
    QRecentListDialog dialog(m_recent, QStringLiteral("Недавние поставщики"), 0, this);
    if (dialog.exec() == QDialog::Accepted)
        showResult(dialog.chosenValue);
    else
        showResult(QStringLiteral("отменено"));
}

void WidgetsDemo::showResult(const QString &text)
{
    m_result->setText(QStringLiteral("Результат: %1").arg(text));
}

bool WidgetsDemo::saveScreenshot(const QString &path)
{
    move(10, 10);
    show();
    QApplication::processEvents();

    // A dialog and the wait window beside the demo, as a user would see them.
    auto *dateEdit = new QDateEdit(QDate(2024, 3, 15));
    dateEdit->setCalendarPopup(true);
    QInputDialogEx input(QStringLiteral("Дата"), QStringLiteral("Дата поставки"), dateEdit, this, Qt::Dialog);
    input.move(frameGeometry().right() + 20, 10);
    input.show();
    QWaitDialog wait(QStringLiteral("Загрузка данных"), this);
    wait.move(input.x(), input.frameGeometry().bottom() + 20);
    wait.show();
    QApplication::processEvents();
    showBubble(bubbleWarning);
    QApplication::processEvents();

    struct Shown { QWidget *widget; QRegion shape; };
    QList<Shown> shown = {{this, QRegion()}, {&input, QRegion()}, {&wait, QRegion()}};
    if (QBubbleTip *bubble = QBubbleTip::currentBubble())
        shown.append({bubble, bubble->mask()});

    QRect canvas;
    for (const Shown &item : shown)
        canvas |= item.widget->geometry();
    canvas.adjust(-10, -10, 10, 10);

    QPixmap picture(canvas.size());
    picture.fill(QColor(0x5a, 0x6e, 0x82));
    QPainter painter(&picture);
    for (const Shown &item : shown) {
        const QPoint at = item.widget->geometry().topLeft() - canvas.topLeft();
        painter.save();
        if (!item.shape.isEmpty())
            painter.setClipRegion(item.shape.translated(at));
        painter.drawPixmap(at, item.widget->grab());
        painter.restore();
    }
    painter.end();
    QBubbleTip::hideBubble();
    return picture.save(path, "PNG");
}
