#ifndef TEMPLATESCRIPT_H
#define TEMPLATESCRIPT_H

#include "dealsglobal.h"

#include <QString>

class QSqlConnection;
class QTextEdit;

// Runs the script of a document template. The script sees exactly these
// globals: "table" and "auxtable" (two empty data tables on the connection,
// named "t_main" and "t_aux"), "params" (the template's HTML as "c_html", the
// source record's id as "id_reason" and the logged-in user as "c_user"),
// "document" (the view it fills) and the variant type numbers "VBool",
// "VDateTime", "VDouble", "VString", "VInt" and "VLongLong". The tables and
// the parameters live for one run only.
class DEALS_EXPORT TemplateScript
{
public:
    struct Outcome
    {
        bool ok = true;
        QString error; // the engine's text, "ReferenceError: ..."
        int line = 0;  // counted from 1; 0 when the engine could not tell
    };

    static Outcome run(const QString &script, const QString &html, long long idSource, QTextEdit *document,
                       QSqlConnection *connection, const QString &scriptName = QString());
};

#endif // TEMPLATESCRIPT_H
