#include "templatescript.h"

#include "appcontext.h"
#include "qdatatable.h"
#include "qscriptparams.h"
#include "workplacelogging.h"

#include <QScriptEngine>
#include <QScriptValue>
#include <QTextEdit>

TemplateScript::Outcome TemplateScript::run(const QString &script, const QString &html, long long idSource,
                                            QTextEdit *document, QSqlConnection *connection,
                                            const QString &scriptName)
{
    QDataTable mainTable(QStringLiteral("t_main"), connection);
    QDataTable auxTable(QStringLiteral("t_aux"), connection);
    QScriptParams params;
    params.setData({QStringLiteral("c_html"), QStringLiteral("id_reason"), QStringLiteral("c_user")},
                   {html, idSource, AppContext::loggedInName()});

    // Declared after what it publishes, so that it is gone before they are.
    QScriptEngine engine;
    QScriptValue global = engine.globalObject();
    global.setProperty(QStringLiteral("table"), engine.newQObject(&mainTable));
    global.setProperty(QStringLiteral("auxtable"), engine.newQObject(&auxTable));
    global.setProperty(QStringLiteral("params"), engine.newQObject(&params));
    global.setProperty(QStringLiteral("document"), engine.newQObject(document));
    global.setProperty(QStringLiteral("VBool"), static_cast<int>(QVariant::Bool));
    global.setProperty(QStringLiteral("VDateTime"), static_cast<int>(QVariant::DateTime));
    global.setProperty(QStringLiteral("VDouble"), static_cast<int>(QVariant::Double));
    global.setProperty(QStringLiteral("VString"), static_cast<int>(QVariant::String));
    global.setProperty(QStringLiteral("VInt"), static_cast<int>(QVariant::Int));
    global.setProperty(QStringLiteral("VLongLong"), static_cast<int>(QVariant::LongLong));

    Outcome outcome;
    const QScriptValue result = engine.evaluate(script, scriptName, 1);
    if (engine.hasUncaughtException()) {
        outcome.ok = false;
        outcome.error = result.toString();
        outcome.line = engine.uncaughtExceptionLineNumber();
        qCWarning(lcReports).noquote() << QStringLiteral("Template script %1 failed at line %2: %3")
                                                  .arg(scriptName)
                                                  .arg(outcome.line)
                                                  .arg(outcome.error);
        engine.clearExceptions();
    }
    return outcome;
}
