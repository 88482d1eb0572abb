// One subcommand's command line, read by QCommandLineParser but with the command's own usage
// text: --help prints it and exits 0, anything the command does not take prints it and 2.
#pragma once

#include <QCommandLineOption>
#include <QCommandLineParser>
#include <QStringList>

#include <optional>

class CommandLine {
public:
    explicit CommandLine(const char* usage);

    // A flag, or an option taking a value when `valueName` is given.
    void addOption(const QString& name, const QString& valueName = {});

    // Nothing when the command goes on; otherwise the exit status to end with, once help or
    // the usage error has been printed. The positional arguments must number `minPositional`
    // to `maxPositional`; an option given twice is a usage error (which one would count?).
    std::optional<int> parse(const QStringList& args, int minPositional, int maxPositional);

    bool isSet(const QString& name) const { return parser_.isSet(name); }
    QString value(const QString& name) const { return parser_.value(name); }
    QStringList positional() const { return parser_.positionalArguments(); }

    // Prints the usage and the reason; the exit status of a usage error.
    int usageError(const QString& reason) const;

private:
    QString usage_;
    QCommandLineParser parser_;
};
