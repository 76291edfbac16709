#ifndef SHELLPATHS_H
#define SHELLPATHS_H

#include <QString>

// Where the shell's pieces are, found from its own binary so that an installed
// prefix can move: in the build tree everything sits beside the binary; an
// installation keeps libraries in <prefix>/lib/workplace and data in
// <prefix>/share/workplace.
namespace ShellPaths {

// The deals library and the module libraries ("libDir").
QString libraryDir();
// The database driver libraries.
QString driverDir();
// The modules' translations ("LocaleDir").
QString translationsDir();

} // namespace ShellPaths

#endif // SHELLPATHS_H
