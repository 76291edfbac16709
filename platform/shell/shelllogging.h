#ifndef SHELLLOGGING_H
#define SHELLLOGGING_H

// The shell says nothing on a normal start: diagnostics go through the
// "workplace.*" logging categories, whose debug output is off unless asked for
// (--verbose, or QT_LOGGING_RULES such as "workplace.table.debug=true").
namespace ShellLogging {

// Before the application object exists: gives the session the private runtime
// folder that Qt would otherwise fall back to with a warning.
void prepareRuntimeDir();

// Installs the message filter; with verbose, switches every workplace
// category's debug output on. Rules from QT_LOGGING_RULES still take precedence.
void setUp(bool verbose);

} // namespace ShellLogging

#endif // SHELLLOGGING_H
