// The subcommands of quenzor-cli. Each takes the arguments after its name, prints its own
// --help, and returns the process exit status.
#pragma once

#include <QStringList>

#include <optional>

struct CliCommand {
    const char* name;
    const char* summary;
    int (*run)(const QStringList& args);
};

// Writes to standard output / standard error as local 8-bit text.
void CliOut(const QString& text);
void CliErr(const QString& text);
// True when the arguments ask for help.
bool WantsHelp(const QStringList& args);
// Usage text on standard error; returns the usage exit status, 2.
int UsageError(const char* usage);
// When the arguments ask for help: usage text on standard output, and true.
bool HelpShown(const QStringList& args, const char* usage);
// The form COMMAND ARG: nothing when args hold one argument that is not an option, else the
// exit status once help (0) or the usage error (2) is printed.
std::optional<int> CheckOneArgument(const QStringList& args, const char* usage);

// Subcommands.
int RunXmlTree(const QStringList& args);
int RunPingCommand(const QStringList& args);
int RunComposeCommand(const QStringList& args);
int RunPatchCommand(const QStringList& args);
int RunUpdateCommand(const QStringList& args);
int RunInspectCommand(const QStringList& args);
int RunNewProjectCommand(const QStringList& args);
