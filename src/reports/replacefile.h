#ifndef REPLACEFILE_H
#define REPLACEFILE_H

#include <QString>

namespace ReportFiles {

// Puts the finished file in place of the target at once: a reader never sees
// half a file, and a failed write never costs the file that was there.
bool replaceFile(const QString &finished, const QString &target);

} // namespace ReportFiles

#endif // REPLACEFILE_H
