// Reports and spell-checked editors: a report over live data in the preview,
// and the editors that check Russian spelling.

#include "windowcatalog.h"

#include "appcontext.h"
#include "qdataset.h"
#include "qdatatable.h"
#include "reportwidget.h"
#include "spelllineedit.h"
#include "spellplaintextedit.h"
#include "spelltextedit.h"

#include <QDate>
#include <QFormLayout>
#include <QLabel>
#include <QVBoxLayout>

namespace {

// Users by group, each with the rights and settings kept for them.
const char usersReportTemplate[] = R"(<html><head><style>
h1 { font-size: 14pt; }
.title { font-size: 11pt; font-weight: bold; }
.head { background-color: #dce3ec; }
.dhead { background-color: #eef1f5; }
</style></head><body>
<h1 align="center">Пользователи и их права</h1>
<p align="center">По состоянию на ##VALUE{"name":"date"}##</p>
##AREA{"TABLE": "t_user_groups", "TITLEFIELD": "c_title", "AREALINK": ["b_admin", "b_admin"], "AREACSS": "title",
 "MASTER": {"NAME": "t_users", "HEADCSS": "head", "BORDER": 1, "COLUMNS": [
   {"field": "c_name", "label": "Пользователь", "width": 40},
   {"field": "c_login", "label": "Логин", "width": 15},
   {"field": "c_created", "label": "Создан", "align": "center", "width": 15},
   {"field": "c_state", "label": "Состояние", "align": "center", "width": 15},
   {"field": "n_settings", "label": "Настроек", "align": "right", "width": 15}]},
 "DETAIL": {"NAME": "t_user_details", "HEADCSS": "dhead", "BORDER": 1, "COLUMNS": [
   {"field": "c_kind", "label": "Вид", "width": 20},
   {"field": "c_name", "label": "Название", "width": 45},
   {"field": "c_value", "label": "Значение", "width": 35}]},
 "MASTERLINK": ["id", "id_user"]}##
<p>Отчёт составил: ##VALUE{"name":"user"}##</p>
</body></html>)";

QDataTable *addTable(QDataSet *set, const QString &name, const QString &selectScript)
{
    auto *table = new QDataTable(name, AppContext::connection(), set);
    table->setScripts(selectScript, QString(), QString(), QString());
    set->addTable(table);
    return table;
}

QWidget *makeUsersReport(QWidget *mainWindow, const QString &, QString *error)
{
    if (!AppContext::connection()) {
        *error = QStringLiteral("Нет соединения с базой данных.");
        return nullptr;
    }
    auto *window = new reportWidget(mainWindow);
    window->setWindowFlag(Qt::Window);
    window->setWindowTitle(QStringLiteral("Пользователи и их права"));
    window->resize(1000, 760);

    auto *report = new QDataSet(window);
    QDataTable *groups = addTable(report, QStringLiteral("t_user_groups"), QStringLiteral("REPORT_USER_GROUP_SELECT"));
    QDataTable *users = addTable(report, QStringLiteral("t_users"), QStringLiteral("REPORT_USER_SELECT"));
    QDataTable *details = addTable(report, QStringLiteral("t_user_details"), QStringLiteral("REPORT_USER_DETAIL_SELECT"));
    for (QDataTable *table : {groups, users, details}) {
        if (!table->open()) {
            *error = QStringLiteral("Не удалось прочитать данные отчёта (%1).").arg(table->objectName());
            delete window;
            return nullptr;
        }
    }
    groups->first();

    QMap<QString, QVariant> values;
    values.insert(QStringLiteral("date"), QDate::currentDate().toString(QStringLiteral("dd.MM.yyyy")));
    values.insert(QStringLiteral("user"), AppContext::loggedInName());
    window->setData(report, QByteArray(usersReportTemplate), values);
    return window;
}

QWidget *makeSpellEditors(QWidget *mainWindow, const QString &, QString *)
{
    auto *window = new QWidget(mainWindow, Qt::Window);
    window->setWindowTitle(QStringLiteral("Проверка орфографии"));
    window->resize(780, 440);

    auto *basis = new SpellLineEdit(window);
    basis->setObjectName(QStringLiteral("basis"));
    basis->setPlainText(QStringLiteral("Поставка оборудавания по договору № 15/24 от 12.03.2024"));

    auto *comment = new SpellPlainTextEdit(window);
    comment->setObjectName(QStringLiteral("comment"));
    comment->setPlainText(QStringLiteral(
            "Поставщик подтвердил отгрузку, но счёт-фактура пришла с ошибкай в реквизитах.\n"
            "Просим пересмотреть условия оплаты и согласовать новый графек поставок "
            "до конца месяца."));

    auto *audit = new SpellTextEdit(window);
    audit->setObjectName(QStringLiteral("audit"));
    audit->setHtml(QStringLiteral(
            "<p><b>Аудит склада 14.05.2024.</b> Выявлены расхождения в колличестве товара: "
            "по накладной 120 шт., фактически 118 шт.</p>"
            "<p>Упаковка <i>повреждена</i>, маркировка неразборчива. Рекомендуется провести "
            "повторную приемку в присуствии представителя поставщика.</p>"));

    auto *form = new QFormLayout;
    form->addRow(QStringLiteral("Основание:"), basis);
    form->addRow(QStringLiteral("Комментарий:"), comment);
    form->addRow(QStringLiteral("Заметки аудита:"), audit);
    auto *layout = new QVBoxLayout(window);
    layout->addLayout(form);
    auto *hint = new QLabel(QStringLiteral("Слова с ошибками подчёркнуты; варианты исправления — "
                                           "в контекстном меню слова."), window);
    hint->setWordWrap(true);
    layout->addWidget(hint);
    return window;
}

} // namespace

void addReportWindows(WindowCatalog::Entries *entries)
{
    entries->append({QStringLiteral("report-users"),
                     QStringLiteral("предварительный просмотр отчёта «Пользователи и их права»"), makeUsersReport});
    entries->append({QStringLiteral("spell-editors"),
                     QStringLiteral("редакторы с проверкой орфографии"), makeSpellEditors});
}
