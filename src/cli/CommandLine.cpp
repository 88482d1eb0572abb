#include "cli/CommandLine.h"

#include "cli/Commands.h"

CommandLine::CommandLine(const char* usage) : usage_(QString::fromLatin1(usage)) {
    // "-port" is not "-p -o -r -t".
    parser_.setSingleDashWordOptionMode(QCommandLineParser::ParseAsLongOptions);
    parser_.addOption(QCommandLineOption(QStringList{QStringLiteral("h"), QStringLiteral("help")}));
}

void CommandLine::addOption(const QString& name, const QString& valueName) {
    parser_.addOption(QCommandLineOption(name, QString(), valueName));
}

int CommandLine::usageError(const QString& reason) const {
    CliErr(usage_);
    CliErr(QStringLiteral("\nquenzor-cli: ") + reason);
    return 2;
}

std::optional<int> CommandLine::parse(const QStringList& args, int minPositional,
                                      int maxPositional) {
    const bool parsed = parser_.parse(QStringList{QStringLiteral("quenzor-cli")} + args);
    if (parser_.isSet(QStringLiteral("help"))) {
        CliOut(usage_);
        return 0;
    }
    if (!parsed)
        return usageError(parser_.errorText());
    const QStringList names = parser_.optionNames();
    for (qsizetype i = 0; i < names.size(); ++i)
        if (names.indexOf(names[i], i + 1) > i)
            return usageError(QStringLiteral("option '%1' given more than once").arg(names[i]));
    const qsizetype count = parser_.positionalArguments().size();
    if (count < minPositional || count > maxPositional)
        return usageError(count < minPositional ? QStringLiteral("missing argument")
                                                : QStringLiteral("too many arguments"));
    for (const QString& a : parser_.positionalArguments())
        if (a.isEmpty())
            return usageError(QStringLiteral("empty argument"));
    return std::nullopt;
}
