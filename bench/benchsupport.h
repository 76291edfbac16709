#ifndef BENCHSUPPORT_H
#define BENCHSUPPORT_H

#include <QString>

// A benchmark either measures what it set out to or stops with the reason.
namespace Bench {

// Prints "program: what" and ends the program with status 1.
[[noreturn]] void fail(const QString &what);
// Runs a statement on the main connection; fails with the server's message.
void exec(const QString &sql);
// The first column of the first row of a query on the main connection.
qlonglong scalar(const QString &sql);

} // namespace Bench

#endif // BENCHSUPPORT_H
