// The subcommands of quenzor-cli. Each takes the arguments after its name, prints its own
// --help, and returns the process exit status.
#pragma once

#include <QStringList>

struct CliCommand {
    const char* name;
    const char* summary;
    int (*run)(const QStringList& args);
};

// Writes to standard output / standard error as local 8-bit text.
void CliOut(const QString& text);
void CliErr(const QString& text);

// False for an argument whose bytes are not valid text in the local encoding: its decoded
// form has lost what was typed (a name would become U+FFFD).
bool ArgumentIsFaithful(const QString& argument);

// Subcommands.
int RunXmlTree(const QStringList& args);
int RunPingCommand(const QStringList& args);
int RunProbeCommand(const QStringList& args);
int RunComposeCommand(const QStringList& args);
int RunPatchCommand(const QStringList& args);
int RunUpdateCommand(const QStringList& args);
int RunInspectCommand(const QStringList& args);
int RunNewProjectCommand(const QStringList& args);
int RunVerifyCommand(const QStringList& args);
int RunDiffCommand(const QStringList& args);
int RunCloneCommand(const QStringList& args);
int RunCheckCommand(const QStringList& args);
int RunTableCommand(const QStringList& args);
int RunReportCommand(const QStringList& args);
