// Parameter binding: which pieces of a script are parameters, how the driver
// writes each kind of value, and that no value can change a statement.

#include "qsqlconnection.h"
#include "testserver.h"

#include <QDateTime>
#include <QLibrary>
#include <QRandomGenerator>
#include <QSqlError>
#include <QSqlField>
#include <QTemporaryFile>
#include <QtTest>

#include <cmath>
#include <limits>

// Keeps what a whole read hands over.
class CollectedRows : public RowReceiver
{
public:
    void begin(const QSqlRecord &fields, int) override { shape = fields; }
    bool take(QVariant *row) override
    {
        for (int f = 0; f < shape.count(); ++f)
            values.append(std::move(row[f]));
        return true;
    }

    QSqlRecord shape;
    QVector<QVariant> values;
};

class tst_ParameterBinding : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void cleanup();

    void tokens_data();
    void tokens();
    void driverFindsWholeTokensInCode_data();
    void driverFindsWholeTokensInCode();
    void positionalBinding_data();
    void positionalBinding();
    void valuesRoundTrip_data();
    void valuesRoundTrip();
    void hostileTextsNeverChangeTheStatement();
    void serverAgreesWhereParametersStand_data();
    void serverAgreesWhereParametersStand();
    void datesBeyondTheUsualYears();
    void timestampsKeepTheirMoment();
    void nulCharacterIsRefused();
    void rowBatchesRoundTrip_data();
    void rowBatchesRoundTrip();
    void hostileTextsInRowBatches();
    void rowBatchesAreAllOrNothing_data();
    void rowBatchesAreAllOrNothing();
    void wholeReadsGiveWhatQueryGives_data();
    void wholeReadsGiveWhatQueryGives();
    void wholeReadsFailAsQueriesFail_data();
    void wholeReadsFailAsQueriesFail();

private:
    QString lastTracedStatement() const;
    qlonglong count(const QString &table);

    QLibrary m_driver;
    QSqlConnection m_connection;
    QTemporaryFile m_trace;
};

void tst_ParameterBinding::initTestCase()
{
    QString error;
    QVERIFY2(TestServer::prepareDatabase(QStringLiteral("tst_parameterbinding"), &error), qPrintable(error));
    m_driver.setFileName(TestServer::driverFile());
    QVERIFY2(TestServer::connectAndLogin(&m_driver, &m_connection, true, &error), qPrintable(error));
    QVERIFY(m_trace.open());

    QSqlQuery query(m_connection.database());
    QVERIFY(query.exec(QStringLiteral("create table public.t_probe (id serial primary key, c_text text)")));
    QVERIFY(query.exec(QStringLiteral("create table public.t_canary (id integer primary key)")));
    QVERIFY(query.exec(QStringLiteral("insert into public.t_canary select generate_series(1, 10)")));
}

void tst_ParameterBinding::cleanup()
{
    qApp->setProperty("SQLTraceFile", QString());
}

QString tst_ParameterBinding::lastTracedStatement() const
{
    QFile file(m_trace.fileName());
    if (!file.open(QIODevice::ReadOnly))
        return QString();
    const QList<QByteArray> lines = file.readAll().split('\n');
    for (int i = lines.size() - 1; i >= 0; --i) {
        if (!lines.at(i).trimmed().isEmpty())
            return QString::fromLocal8Bit(lines.at(i)).trimmed();
    }
    return QString();
}

qlonglong tst_ParameterBinding::count(const QString &table)
{
    QSqlQuery query(m_connection.database());
    query.exec(QStringLiteral("select count(*) from public.") + table);
    return query.next() ? query.value(0).toLongLong() : -1;
}

void tst_ParameterBinding::tokens_data()
{
    QTest::addColumn<QString>("script");
    QTest::addColumn<QStringList>("expected");

    QTest::newRow("call") << "select f(:A,:B)" << QStringList{":A", ":B"};
    QTest::newRow("glued to operator") << "select * from t where x=:A" << QStringList();
    QTest::newRow("repeated") << "select :A, :A" << QStringList{":A", ":A"};
    QTest::newRow("semicolon stays") << "delete from t where id = :id;" << QStringList{":id;"};
    QTest::newRow("values list") << "insert into t values (:a, :b)" << QStringList{":a", ":b"};
    QTest::newRow("none") << "select 1" << QStringList();
}

void tst_ParameterBinding::tokens()
{
    QFETCH(QString, script);
    QFETCH(QStringList, expected);
    QCOMPARE(QSqlConnection::parameterTokens(script), expected);
}

void tst_ParameterBinding::driverFindsWholeTokensInCode_data()
{
    QTest::addColumn<QString>("script");
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("expected");

    QTest::newRow("plain") << "select :A" << "A" << "select 7";
    QTest::newRow("first occurrence only") << "select :A, :A" << "A" << "select 7, :A";
    QTest::newRow("longer name is another parameter") << "select :AB, :A" << "A" << "select :AB, 7";
    QTest::newRow("cast is not a parameter") << "select x::A, :A" << "A" << "select x::A, 7";
    QTest::newRow("in a string") << "select ':A', :A" << "A" << "select ':A', 7";
    QTest::newRow("in a string with doubled quote") << "select 'it''s :A', :A" << "A" << "select 'it''s :A', 7";
    QTest::newRow("in an escape string") << "select E'\\' :A', :A" << "A" << "select E'\\' :A', 7";
    QTest::newRow("in a quoted identifier") << "select 1 as \":A\", :A" << "A" << "select 1 as \":A\", 7";
    QTest::newRow("in dollar quotes") << "select $$ :A $$, :A" << "A" << "select $$ :A $$, 7";
    QTest::newRow("in tagged dollar quotes") << "select $q$ :A $ $q$, :A" << "A" << "select $q$ :A $ $q$, 7";
    QTest::newRow("in a line comment") << "select -- :A\n:A" << "A" << "select -- :A\n7";
    QTest::newRow("in a nested comment") << "select /* /* :A */ :A */ :A" << "A" << "select /* /* :A */ :A */ 7";
    QTest::newRow("glued to operator") << "select 1 where 7=:A" << "A" << "select 1 where 7=7";
    QTest::newRow("absent") << "select 1" << "A" << "select 1";
    QTest::newRow("name with semicolon") << "delete from t where id = :id;" << "id;" << "delete from t where id = 7";
    // Shapes where the server sees a constant or a comment that a careless reader would take for code.
    QTest::newRow("in a continued escape string") << "select E'first\\n'\n'\\' :A ' as b" << "A"
                                                  << "select E'first\\n'\n'\\' :A ' as b";
    QTest::newRow("continuation across a comment") << "select 'a'\n-- note\n' :A ' as b" << "A"
                                                   << "select 'a'\n-- note\n' :A ' as b";
    QTest::newRow("comment ended by a carriage return") << "select 1 as a -- note\r, ' \n :A ' as b" << "A"
                                                        << "select 1 as a -- note\r, ' \n :A ' as b";
    QTest::newRow("dollar tag beyond ASCII") << "select $€$ :A $€$ as x" << "A" << "select $€$ :A $€$ as x";
    QTest::newRow("glued to a name beyond ASCII") << "select ж:A" << "A" << "select ж:A";
    QTest::newRow("second constant on the same line") << "select 'a' ' :A '" << "A" << "select 'a' ' :A '";
}

void tst_ParameterBinding::driverFindsWholeTokensInCode()
{
    QFETCH(QString, script);
    QFETCH(QString, name);
    QFETCH(QString, expected);
    QCOMPARE(m_connection.parseQuery(script, name, 7), expected);
}

void tst_ParameterBinding::positionalBinding_data()
{
    QTest::addColumn<QString>("script");
    QTest::addColumn<QVariantList>("values");
    QTest::addColumn<QString>("executed");

    QTest::newRow("two in order") << "select :A, :B" << QVariantList{1, 2} << "select 1, 2";
    QTest::newRow("count mismatch binds nothing") << "select :A, :B" << QVariantList{1} << "select :A, :B";
    QTest::newRow("repeat needs two values") << "select :A + :A" << QVariantList{1, 2} << "select 1 + 2";
    QTest::newRow("NULL keyword") << "select :NULL, :A" << QVariantList{5} << "select NULL, 5";
    QTest::newRow("negative after minus") << "select 1 - :A" << QVariantList{-5} << "select 1 - (-5)";
}

void tst_ParameterBinding::positionalBinding()
{
    QFETCH(QString, script);
    QFETCH(QVariantList, values);
    QFETCH(QString, executed);

    qApp->setProperty("SQLTraceFile", m_trace.fileName());
    QSqlQuery query(m_connection.database());
    if (executed.contains(QLatin1Char(':')))
        QTest::ignoreMessage(QtWarningMsg, QRegularExpression(QStringLiteral("^Error executing query: ")));
    m_connection.execScript(script, &query, values);
    QCOMPARE(lastTracedStatement(), executed);
}

void tst_ParameterBinding::valuesRoundTrip_data()
{
    QTest::addColumn<QVariant>("value");
    QTest::addColumn<QString>("cast");

    QTest::newRow("null") << QVariant() << "";
    QTest::newRow("null text") << QVariant(QString()) << "text";
    QTest::newRow("empty text") << QVariant(QStringLiteral("")) << "text";
    QTest::newRow("true") << QVariant(true) << "";
    QTest::newRow("false") << QVariant(false) << "";
    QTest::newRow("int") << QVariant(42) << "";
    QTest::newRow("negative int") << QVariant(-42) << "";
    QTest::newRow("int64 max") << QVariant(std::numeric_limits<qlonglong>::max()) << "";
    QTest::newRow("int64 min") << QVariant(std::numeric_limits<qlonglong>::min()) << "";
    QTest::newRow("uint") << QVariant(4000000000u) << "bigint";
    QTest::newRow("pi") << QVariant(M_PI) << "float8";
    QTest::newRow("tiny") << QVariant(1e-300) << "float8";
    QTest::newRow("huge negative") << QVariant(-1.7976931348623157e308) << "float8";
    QTest::newRow("third") << QVariant(1.0 / 3.0) << "float8";
    QTest::newRow("infinity") << QVariant(std::numeric_limits<double>::infinity()) << "float8";
    QTest::newRow("date") << QVariant(QDate(2024, 2, 29)) << "";
    QTest::newRow("early date") << QVariant(QDate(1, 1, 1)) << "";
    QTest::newRow("time") << QVariant(QTime(23, 59, 58, 123)) << "";
    QTest::newRow("timestamp") << QVariant(QDateTime(QDate(2026, 12, 5), QTime(10, 11, 12, 345))) << "";
    QByteArray allBytes;
    for (int i = 0; i < 256; ++i)
        allBytes.append(static_cast<char>(i));
    QTest::newRow("bytea") << QVariant(allBytes) << "";
    QTest::newRow("empty bytea") << QVariant(QByteArray("")) << "";
    QTest::newRow("unicode") << QVariant(QStringLiteral("Сделка №5 — «поставка» 😀")) << "text";
    QTest::newRow("quotes and backslashes") << QVariant(QStringLiteral("O'Brien \\ \"x\" \\'")) << "text";
}

void tst_ParameterBinding::valuesRoundTrip()
{
    QFETCH(QVariant, value);
    QFETCH(QString, cast);

    QSqlQuery query(m_connection.database());
    const QString script = cast.isEmpty() ? QStringLiteral("select :v") : QStringLiteral("select cast( :v as %1)").arg(cast);
    m_connection.execScript(script, &query, QVariantList{value});
    QVERIFY2(query.isActive(), qPrintable(query.lastError().text()));
    QVERIFY(query.isValid());
    const QVariant read = query.value(0);
    if (!value.isValid() || value.isNull()) {
        QVERIFY(read.isNull());
        return;
    }
    switch (static_cast<int>(value.type())) {
    case QMetaType::Double:
        QCOMPARE(read.toDouble(), value.toDouble());
        break;
    case QMetaType::QByteArray:
        QCOMPARE(read.toByteArray(), value.toByteArray());
        break;
    case QMetaType::QDateTime:
        QCOMPARE(read.toDateTime(), value.toDateTime());
        break;
    default:
        QCOMPARE(read.toString(), value.toString());
    }
}

// Texts made of the pieces that break naive quoting: every one must come back
// exactly as written, and nothing else in the database may change.
void tst_ParameterBinding::hostileTextsNeverChangeTheStatement()
{
    static const QStringList pieces = {
        "'", "''", "\\", "\\\\", "\\'", "\"", ":v", ":name", "::text", "$$", "$q$", "$1", "--", "/*", "*/",
        ";", "; drop table public.t_canary; --", "E'", "U&'", "\n", "\r\n", "\t", " ", ",", "(", ")",
        "%s", "?", "ß", "Ж", "😀", "\u200b", "x", "NULL", "null", "'||'", "0x", "\\x00",
    };
    QRandomGenerator random(20261205);
    const QString insert = QStringLiteral("insert into public.t_probe (c_text) values (:v) returning id, c_text");
    const qlonglong probesBefore = count(QStringLiteral("t_probe"));

    for (int round = 0; round < 400; ++round) {
        QString text;
        const int length = random.bounded(1, 9);
        for (int i = 0; i < length; ++i)
            text += pieces.at(random.bounded(pieces.size()));

        // Positional form.
        QSqlQuery query(m_connection.database());
        m_connection.execScript(insert, &query, QVariantList{text});
        QVERIFY2(query.isActive(), qPrintable(text + QStringLiteral(" -> ") + query.lastError().text()));
        QCOMPARE(query.value(1).toString(), text);

        // Record form, as tables bind their rows.
        QSqlRecord both;
        both.append(QSqlField(QStringLiteral("v"), QVariant::String));
        both.append(QSqlField(QStringLiteral("id"), QVariant::LongLong));
        both.setValue(0, text);
        both.setValue(1, query.value(0));
        QSqlQuery found = m_connection.execScript(QStringLiteral("select c_text from public.t_probe where c_text = :v and id = :id"), both);
        QVERIFY2(found.isValid(), qPrintable(text));
        QCOMPARE(found.value(0).toString(), text);
    }
    QCOMPARE(count(QStringLiteral("t_probe")), probesBefore + 400);
    QCOMPARE(count(QStringLiteral("t_canary")), 10);
}

void tst_ParameterBinding::serverAgreesWhereParametersStand_data()
{
    QTest::addColumn<QString>("script");
    QTest::newRow("continued escape string") << "select E'first\\n'\n'\\' :v ' as b";
    QTest::newRow("carriage return ends a comment") << "select 1 as a -- note\r, ' \n :v ' as b";
    QTest::newRow("dollar tag beyond ASCII") << "select $€$ :v $€$ as x, 1 as y";
    QTest::newRow("plain parameter") << "select :v as b";
}

// A value that would read the role name if it ever left its constant: the
// server's answer must never hold that name.
void tst_ParameterBinding::serverAgreesWhereParametersStand()
{
    QFETCH(QString, script);
    const QStringList values = {
        "' as b, current_user as injected --",
        "' || (select current_user) || '",
        "$€$ as x, current_user as y --",
    };
    for (const QString &value : values) {
        QSqlQuery query(m_connection.database());
        m_connection.execScript(script, &query, QVariantList{value});
        QVERIFY2(query.isActive(), qPrintable(query.lastError().text()));
        const QSqlRecord record = query.record();
        for (int i = 0; i < record.count(); ++i)
            QVERIFY2(!query.value(i).toString().contains(QLatin1String("workplace")), qPrintable(script + " <- " + value));
    }
}

void tst_ParameterBinding::datesBeyondTheUsualYears()
{
    QCOMPARE(m_connection.parseQuery(QStringLiteral("select :v"), QStringLiteral("v"), QDate(-44, 3, 15)),
             QStringLiteral("select DATE '0044-03-15 BC'"));
    const QList<QDate> dates = {QDate(-44, 3, 15), QDate(12000, 1, 2), QDate(1, 1, 1)};
    for (const QDate &date : dates) {
        QSqlQuery query(m_connection.database());
        m_connection.execScript(QStringLiteral("select cast(extract(year from :v ) as int), cast(extract(day from :v ) as int)"), &query,
                                QVariantList{date, date});
        QVERIFY2(query.isValid(), qPrintable(query.lastError().text()));
        QCOMPARE(query.value(0).toInt(), date.year());
        QCOMPARE(query.value(1).toInt(), date.day());
    }
    // A value with no text form is refused, not written as an empty text.
    QTest::ignoreMessage(QtWarningMsg, QRegularExpression(QStringLiteral("QVariantMap has no form")));
    QTest::ignoreMessage(QtWarningMsg, QRegularExpression(QStringLiteral("^Error executing query: .*QVariantMap")));
    QSqlQuery refused(m_connection.database());
    m_connection.execScript(QStringLiteral("select :v"), &refused, QVariantList{QVariantMap{{"a", 1}}});
    QVERIFY(!refused.isActive());
}

// A server whose zone differs from the user's must not shift a moment saved and read back.
void tst_ParameterBinding::timestampsKeepTheirMoment()
{
    QSqlQuery setup(m_connection.database());
    QVERIFY(setup.exec(QStringLiteral("alter database tst_parameterbinding set timezone = 'Asia/Tokyo'")));
    QVERIFY(setup.exec(QStringLiteral("alter database tst_parameterbinding set standard_conforming_strings = off")));
    QVERIFY(setup.exec(QStringLiteral("create table public.t_moment (id serial primary key, d_at timestamptz)")));
    QVERIFY(m_connection.Connect(QStringLiteral("MainConnection"), true));

    QSqlQuery check(m_connection.database());
    QVERIFY(check.exec(QStringLiteral("show standard_conforming_strings")) && check.next());
    QCOMPARE(check.value(0).toString(), QStringLiteral("on"));

    QDateTime moment(QDate(2026, 12, 5), QTime(12, 0));
    for (int save = 0; save < 3; ++save) {
        QSqlQuery query(m_connection.database());
        m_connection.execScript(QStringLiteral("insert into public.t_moment (d_at) values (:v) returning d_at"), &query,
                                QVariantList{moment});
        QVERIFY2(query.isValid(), qPrintable(query.lastError().text()));
        moment = query.value(0).toDateTime();
    }
    QCOMPARE(moment.toMSecsSinceEpoch(), QDateTime(QDate(2026, 12, 5), QTime(12, 0)).toMSecsSinceEpoch());

    // A constant of the script itself with a backslash, next to a hostile value.
    QSqlQuery mixed(m_connection.database());
    m_connection.execScript(QStringLiteral("select 'C:\\' as dir, :v as b -- '"), &mixed,
                            QVariantList{"' as dir, current_user as b --"});
    QVERIFY2(mixed.isValid(), qPrintable(mixed.lastError().text()));
    QCOMPARE(mixed.value(1).toString(), QStringLiteral("' as dir, current_user as b --"));
    QVERIFY(setup.exec(QStringLiteral("alter database tst_parameterbinding reset all")));
}

void tst_ParameterBinding::nulCharacterIsRefused()
{
    const qlonglong before = count(QStringLiteral("t_probe"));
    QString text = QStringLiteral("abc");
    text.append(QChar(0));
    text.append(QStringLiteral("def"));

    QTest::ignoreMessage(QtWarningMsg, QRegularExpression(QStringLiteral("NUL character")));
    QTest::ignoreMessage(QtWarningMsg, QRegularExpression(QStringLiteral("^Error executing query: .*NUL character")));
    QSqlQuery query(m_connection.database());
    m_connection.execScript(QStringLiteral("insert into public.t_probe (c_text) values (:v)"), &query, QVariantList{text});
    QVERIFY(!query.isActive());
    QVERIFY(query.lastError().text().contains(QLatin1String("NUL character")));
    QCOMPARE(count(QStringLiteral("t_probe")), before);
}

// A select read whole by the driver gives every value as QSqlQuery would:
// same type, same value, nulls typed, for each type the server may answer with.
void tst_ParameterBinding::wholeReadsGiveWhatQueryGives_data()
{
    QTest::addColumn<QString>("expressions");

    QTest::newRow("whole numbers") << "1::int2, '-32768'::int2, 2147483647::int4, '-2147483648'::int4, "
                                      "9223372036854775807::int8, '-9223372036854775808'::int8, 0::int8, 26::oid, '1'::xid, '1'::cid, 'now'::regproc";
    QTest::newRow("decimals") << "0.1::float8, -1.5e-300::float8, 1e308::float8, 3.25::float4, "
                                 "'NaN'::float8, 'Infinity'::float8, '-Infinity'::float4, "
                                 "123456789012345678.123456789::numeric, 'NaN'::numeric, -0.5::numeric(10,2)";
    QTest::newRow("texts") << "'Счёт № 5'::text, ''::text, 'x'::varchar(3), 'ab'::char(4), 'a''b\\c:v$1'::text, "
                              "'😀'::text, 'tbl'::name, '{1,2}'::int[], '{\"k\": 1}'::jsonb, "
                              "'a0eebc99-9c0b-4ef8-bb6d-6bb9bd380a11'::uuid, '1 day'::interval";
    QTest::newRow("dates and times") << "'2026-12-06'::date, '0044-03-15 BC'::date, '12026-01-01'::date, "
                                        "'infinity'::date, '10:15:30'::time, '10:15:30.123'::time, '10:15:30.1236'::time, "
                                        "'12:00:00.0005'::time, '10:15:30.123456+03'::timetz, "
                                        "'2026-12-06 10:15:30.5'::timestamp, '2026-12-06 10:15:30+03'::timestamptz, "
                                        "'2026-12-06 10:15:30+05:30'::timestamptz";
    QTest::newRow("texts over many rows, repeated and not") << "('K' || g % 5)::text, ('name ' || g)::text, "
                                                               "('a long text past a short code ' || g % 2)::varchar, (g % 3)::int4";
    QTest::newRow("others") << "pg_sleep(0)::void, true::bool, false::bool, '\\x00ff41'::bytea, ''::bytea";
}

void tst_ParameterBinding::wholeReadsGiveWhatQueryGives()
{
    QFETCH(QString, expressions);

    // 700 rows of the values (some vary with g), then every one of them null in its own type.
    const QStringList parts = expressions.split(QStringLiteral(", "));
    QStringList nulls;
    for (const QString &part : parts)
        nulls.append(QStringLiteral("null::") + QString(part).section(QStringLiteral("::"), -1));
    QStringList named;
    for (int i = 0; i < parts.size(); ++i)
        named.append(QStringLiteral("%1 as f%2").arg(parts.at(i)).arg(i));
    const QString script = QStringLiteral("select %1 from generate_series(1, 700) g union all select %2")
                                   .arg(named.join(QStringLiteral(", ")), nulls.join(QStringLiteral(", ")));

    CollectedRows rows;
    QCOMPARE(m_connection.readRows(script, QSqlRecord(), false, &rows), int(RowsRead));
    const QSqlRecord &shape = rows.shape;
    const QVector<QVariant> &values = rows.values;
    QSqlQuery query(m_connection.database());
    query.setForwardOnly(true);
    QVERIFY2(query.exec(script), qPrintable(query.lastError().text()));
    const QSqlRecord expectedShape = query.record();
    QCOMPARE(shape.count(), expectedShape.count());
    for (int f = 0; f < shape.count(); ++f) {
        QCOMPARE(shape.fieldName(f), expectedShape.fieldName(f));
        QVERIFY2(shape.field(f).type() == expectedShape.field(f).type(),
                 qPrintable(parts.at(f) + QStringLiteral(": ") + QVariant::typeToName(shape.field(f).type())
                            + QStringLiteral(" instead of ") + QVariant::typeToName(expectedShape.field(f).type())));
    }
    int at = 0;
    while (query.next()) {
        for (int f = 0; f < shape.count(); ++f, ++at) {
            QVERIFY(at < values.size());
            const QVariant expected = query.value(f);
            const QVariant read = values.at(at);
            const QByteArray where = parts.at(f).toUtf8() + (expected.isNull() ? " (null)" : "");
            QVERIFY2(read.userType() == expected.userType(),
                     QByteArray(where + ": " + read.typeName() + " instead of " + expected.typeName()).constData());
            QVERIFY2(read.isNull() == expected.isNull(), where.constData());
            if (expected.userType() == QMetaType::Double && std::isnan(expected.toDouble()))
                QVERIFY2(std::isnan(read.toDouble()), where.constData());
            else
                QVERIFY2(read == expected, QByteArray(where + ": " + read.toString().toUtf8() + " instead of "
                                                      + expected.toString().toUtf8()).constData());
        }
    }
    QCOMPARE(at, values.size());
}

// A whole read that fails says so as a query says it, and a read the driver
// cannot make now (another select's rows still coming) is left to QSqlQuery.
void tst_ParameterBinding::wholeReadsFailAsQueriesFail_data()
{
    QTest::addColumn<QString>("script");
    QTest::addColumn<bool>("inTransaction");
    QTest::addColumn<int>("outcome");
    QTest::addColumn<QString>("errorCode");

    QTest::newRow("server error") << "select 1 / 0" << false << int(RowsReadFailed) << "22012";
    QTest::newRow("server error in a transaction") << "select * from public.t_missing" << true
                                                   << int(RowsReadFailed) << "42P01";
    QTest::newRow("no select") << "update public.t_canary set id = id where false" << false
                               << int(RowsReadFailed) << "";
    QTest::newRow("rows of another select still coming") << "select id from public.t_canary" << false
                                                          << int(RowsNotRead) << "";
    QTest::newRow("bound values") << "select id, :v as v from public.t_canary where id = :id" << true
                                  << int(RowsRead) << "";
    QTest::newRow("two statements: the first one's rows") << "select 7 as id, :v as v; select 1, 'x'" << false
                                                          << int(RowsRead) << "";
    QTest::newRow("a select after a command") << "set local work_mem = '8MB'; select :id as id, :v as v" << true
                                             << int(RowsReadFailed) << "";
    QTest::newRow("a failure after the rows") << "select 7 as id, :v as v; select 1 / 0" << false
                                             << int(RowsRead) << "";
}

void tst_ParameterBinding::wholeReadsFailAsQueriesFail()
{
    QFETCH(QString, script);
    QFETCH(bool, inTransaction);
    QFETCH(int, outcome);
    QFETCH(QString, errorCode);

    QSqlQuery pending(m_connection.database());
    if (outcome == RowsNotRead) {
        pending.setForwardOnly(true);
        QVERIFY(pending.exec(QStringLiteral("select generate_series(1, 10000)")));
        QVERIFY(pending.next());
    }
    if (inTransaction)
        QVERIFY(m_connection.beginTransaction());
    QSqlRecord bound;
    bound.append(QSqlField(QStringLiteral("v"), QVariant::String));
    bound.append(QSqlField(QStringLiteral("id"), QVariant::Int));
    bound.setValue(0, QStringLiteral("it's :id"));
    bound.setValue(1, 7);
    CollectedRows rows;
    QCOMPARE(m_connection.readRows(script, bound, false, &rows), outcome);
    const QVector<QVariant> &values = rows.values;
    QCOMPARE(m_connection.lastError().nativeErrorCode(), errorCode);
    QCOMPARE(m_connection.lastError().isValid(), !errorCode.isEmpty());
    if (outcome == RowsRead)
        QCOMPARE(values, QVector<QVariant>({ QVariant(7), QVariant(QStringLiteral("it's :id")) }));
    else
        QVERIFY(values.isEmpty());
    if (inTransaction) {
        // A failed read ends the transaction as any failed statement does.
        if (outcome == RowsReadFailed)
            QVERIFY(m_connection.rollbackTransaction());
        else
            QVERIFY(m_connection.commitTransaction());
    }
    QCOMPARE(count(QStringLiteral("t_canary")), 10);
}

QTEST_MAIN(tst_ParameterBinding)
#include "tst_parameterbinding.moc"

// Row scripts sent in batches carry their values as statement parameters:
// each kind of value must come back as the literal path gives it back.
void tst_ParameterBinding::rowBatchesRoundTrip_data()
{
    valuesRoundTrip_data();
}

void tst_ParameterBinding::rowBatchesRoundTrip()
{
    QFETCH(QVariant, value);
    QFETCH(QString, cast);

    const QString script = cast.isEmpty() ? QStringLiteral("select :v as v, :n as n")
                                          : QStringLiteral("select cast( :v as %1) as v, :n as n").arg(cast);
    QList<QSqlRecord> records;
    for (int n = 0; n < 3; ++n) {
        QSqlRecord record;
        record.append(QSqlField(QStringLiteral("v"), value.isValid() ? value.type() : QVariant::String));
        record.append(QSqlField(QStringLiteral("n"), QVariant::Int));
        record.setValue(0, value);
        record.setValue(1, n);
        records.append(record);
    }
    QList<RowScriptResult> results;
    int failed = -1;
    QCOMPARE(m_connection.execRowScripts(script, records, QVector<bool>(3, true), &results, &failed),
             int(RowScriptsDone));
    QCOMPARE(results.size(), 3);

    QSqlQuery literal(m_connection.database());
    m_connection.execScript(script, &literal, records.first(), false);
    QVERIFY2(literal.isValid(), qPrintable(literal.lastError().text()));
    for (int n = 0; n < 3; ++n) {
        const RowScriptResult &result = results.at(n);
        QVERIFY(result.returnsRows);
        QCOMPARE(result.rowCount, 1);
        QCOMPARE(result.row.value(QStringLiteral("n")).toInt(), n);
        const QVariant read = result.row.value(QStringLiteral("v"));
        // Read back with the type the literal path reads back.
        QCOMPARE(QString::fromLatin1(read.typeName()), QString::fromLatin1(literal.value(0).typeName()));
        if (!value.isValid() || value.isNull()) {
            QVERIFY(read.isNull());
            continue;
        }
        switch (static_cast<int>(value.type())) {
        case QMetaType::Double:
            QCOMPARE(read.toDouble(), value.toDouble());
            break;
        case QMetaType::QByteArray:
            QCOMPARE(read.toByteArray(), value.toByteArray());
            break;
        case QMetaType::QDateTime:
            QCOMPARE(read.toDateTime(), value.toDateTime());
            break;
        default:
            QCOMPARE(read.toString(), value.toString());
        }
    }
}

void tst_ParameterBinding::hostileTextsInRowBatches()
{
    static const QStringList pieces = {
        "'", "''", "\\", "\\'", "\"", ":v", ":id", "::text", "$$", "$1", "$2", "--", "/*", "*/", ";",
        "; drop table public.t_canary; --", "E'", "\n", "\t", " ", ",", "(", ")", "Ж", "😀", "NULL", "'||'", "\\x00",
    };
    QRandomGenerator random(20261206);
    QList<QSqlRecord> records;
    for (int round = 0; round < 300; ++round) {
        QString text;
        const int length = random.bounded(1, 9);
        for (int i = 0; i < length; ++i)
            text += pieces.at(random.bounded(pieces.size()));
        QSqlRecord record;
        record.append(QSqlField(QStringLiteral("v"), QVariant::String));
        record.setValue(0, text);
        records.append(record);
    }
    const qlonglong probesBefore = count(QStringLiteral("t_probe"));
    QList<RowScriptResult> inserted;
    int failed = -1;
    QCOMPARE(m_connection.execRowScripts(QStringLiteral("insert into public.t_probe (c_text) values (:v) returning id, c_text"),
                                         records, QVector<bool>(records.size(), true), &inserted, &failed),
             int(RowScriptsDone));
    QCOMPARE(inserted.size(), records.size());
    for (int i = 0; i < records.size(); ++i) {
        QCOMPARE(inserted.at(i).row.value(QStringLiteral("c_text")).toString(), records.at(i).value(0).toString());
        records[i].append(QSqlField(QStringLiteral("id"), QVariant::LongLong));
        records[i].setValue(1, inserted.at(i).row.value(QStringLiteral("id")));
    }
    // Found again by the same texts: nothing was rewritten on the way in or out.
    QList<RowScriptResult> found;
    QCOMPARE(m_connection.execRowScripts(QStringLiteral("update public.t_probe set c_text = :v where c_text = :v and id = :id"),
                                         records, QVector<bool>(records.size(), true), &found, &failed),
             int(RowScriptsDone));
    for (const RowScriptResult &result : qAsConst(found))
        QCOMPARE(result.affected, 1);
    QCOMPARE(count(QStringLiteral("t_probe")), probesBefore + records.size());
    QCOMPARE(count(QStringLiteral("t_canary")), 10);
}

// A batch either stays whole or leaves nothing behind, in a transaction of
// the caller's or without one; the caller's transaction stays usable.
void tst_ParameterBinding::rowBatchesAreAllOrNothing_data()
{
    QTest::addColumn<bool>("inTransaction");
    QTest::addColumn<QString>("failingText");
    QTest::addColumn<int>("outcome");

    QTest::newRow("server error") << false << "bad" << int(RowScriptsFailed);
    QTest::newRow("server error in a transaction") << true << "bad" << int(RowScriptsFailed);
    QTest::newRow("row not found") << false << "missing" << int(RowScriptsFailed);
    QTest::newRow("row not found in a transaction") << true << "missing" << int(RowScriptsFailed);
    QTest::newRow("value only a literal carries") << false << "nul" << int(RowScriptsNotSent);
    QTest::newRow("all fine") << false << "" << int(RowScriptsDone);
    QTest::newRow("all fine in a transaction") << true << "" << int(RowScriptsDone);
}

void tst_ParameterBinding::rowBatchesAreAllOrNothing()
{
    QFETCH(bool, inTransaction);
    QFETCH(QString, failingText);
    QFETCH(int, outcome);

    QSqlQuery setup(m_connection.database());
    QVERIFY(setup.exec(QStringLiteral("create table if not exists public.t_batch (id integer primary key, "
                                      "c_text text check (c_text <> 'bad'))")));
    QVERIFY(setup.exec(QStringLiteral("truncate public.t_batch")));
    // Rows 1..600, the failing one late, so that it travels in a later send than the first rows.
    const int failingRow = 517;
    QList<QSqlRecord> records;
    QVector<bool> mustFind;
    for (int id = 1; id <= 600; ++id) {
        QSqlRecord record;
        record.append(QSqlField(QStringLiteral("id"), QVariant::Int));
        record.append(QSqlField(QStringLiteral("c_text"), QVariant::String));
        record.append(QSqlField(QStringLiteral("n_find"), QVariant::Int));
        record.setValue(0, id);
        record.setValue(1, QStringLiteral("row %1").arg(id));
        record.setValue(2, 1);
        if (id == failingRow + 1 && failingText == QLatin1String("bad"))
            record.setValue(1, failingText);
        if (id == failingRow + 1 && failingText == QLatin1String("missing"))
            record.setValue(2, 0);
        if (id == failingRow + 1 && failingText == QLatin1String("nul"))
            record.setValue(1, QStringLiteral("a") + QChar(0) + QStringLiteral("b"));
        records.append(record);
        mustFind.append(true);
    }
    if (inTransaction)
        QVERIFY(m_connection.beginTransaction());
    QList<RowScriptResult> results;
    int failed = -1;
    // Finds nothing to insert where n_find is 0: an insert that found no row.
    const QString script = QStringLiteral("insert into public.t_batch (id, c_text) select :id, :c_text where :n_find = 1");
    QCOMPARE(m_connection.execRowScripts(script, records, mustFind, &results, &failed), outcome);
    if (outcome == RowScriptsFailed)
        QCOMPARE(failed, failingRow);
    QVERIFY(!m_connection.lastError().isValid());
    // The caller's transaction takes more statements and ends as the caller says.
    QSqlQuery after(m_connection.database());
    QVERIFY2(after.exec(QStringLiteral("insert into public.t_batch (id, c_text) values (0, 'after')")),
             qPrintable(after.lastError().text()));
    if (inTransaction)
        QVERIFY(m_connection.commitTransaction());
    QCOMPARE(count(QStringLiteral("t_batch")), outcome == RowScriptsDone ? 601 : 1);
    QCOMPARE(count(QStringLiteral("t_canary")), 10);
}
