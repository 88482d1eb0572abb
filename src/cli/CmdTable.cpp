// quenzor-cli table: the CANopen table editors without their dialogs, on the same core code:
// Show, then OK, Export or Import as the editor's buttons do them.
#include "cli/CommandLine.h"
#include "cli/Commands.h"

#include "common/PrintableText.h"
#include "common/Prompter.h"
#include "editors/TableEditor.h"

#include <QDir>
#include <QFileInfo>

#include <algorithm>

namespace {

const char kUsage[] =
    "usage: quenzor-cli table VERB NAME PROJECT_DIR [WORKBOOK]\n\n"
    "Runs a CANopen table editor on PROJECT_DIR without its dialog. NAME is the table name\n"
    "(sdo, rpdodef, sdopdo, emcydef, emcyword); its table file is PROJECT_DIR/NAME.xml, and\n"
    "sdopdo also reads sdo.xml and rpdodef.xml there. Every VERB first loads the table\n"
    "file as the dialog's Show does:\n"
    "  show    then prints the rows of each direction\n"
    "  save    then saves it as OK does: PROJECT_DIR/NAME.xml\n"
    "  export  then exports it: PROJECT_DIR/NAME.csv\n"
    "  import  then imports the sheet NAME of WORKBOOK and saves as OK does; WORKBOOK is an\n"
    "          .xls, .xlsx or .ods file, or a CSV export (NAME.csv, read as Export writes it)\n"
    "A missing table file is not a failure: the table starts empty. Stored rows that Show\n"
    "leaves out are (a store PDO entry of a PDO the PDO table does not have, an EMCY word\n"
    "whose extdata is neither 0 nor 1), as are such records in an import. Every message the\n"
    "dialog would show goes to standard error as \"quenzor-cli: <message>\"; a question the\n"
    "dialog would ask is a failure here.\n"
    "Exit status: 0 done, 1 failure (no file created, replaced or truncated), 2 usage.";

const QStringList kVerbs = {QStringLiteral("show"), QStringLiteral("save"),
                            QStringLiteral("export"), QStringLiteral("import")};

// Each message on one line of standard error; a question is answered No, so the operation
// that asked stops.
class CliTablePrompter : public Prompter {
public:
    void message(const QString& text) override { put(text); }
    void error(const QString& text) override { put(text); }
    bool question(const QString&, const QString& text) override {
        put(text);
        return false;
    }
    void errorReport(const QString& text) override { put(text); }
    std::optional<QString> chooseFolder(const QString&, const QString&, const QString&) override {
        return std::nullopt;
    }
    std::optional<QString> chooseOpenFile(const QString&, const QString&, const QString&) override {
        return std::nullopt;
    }

private:
    static void put(const QString& text) {
        QString line = text;
        line.replace(QLatin1Char('\n'), QLatin1Char(' '));
        CliErr(QStringLiteral("quenzor-cli: ") + PrintableText(line));
    }
};

void printListing(const TableListing& listing) {
    const qsizetype n = listing.rows.size();
    CliOut(QStringLiteral("%1: %2 row%3")
               .arg(listing.caption)
               .arg(n)
               .arg(n == 1 ? QString() : QStringLiteral("s")));
    if (n == 0)
        return;
    std::vector<QStringList> lines{listing.headings};
    for (const QStringList& row : listing.rows) {
        QStringList shown;
        for (const QString& cell : row)
            shown.append(PrintableText(cell));
        lines.push_back(shown);
    }
    std::vector<qsizetype> widths(std::size_t(listing.headings.size()), 0);
    for (const QStringList& line : lines)
        for (qsizetype c = 0; c < line.size() && c < qsizetype(widths.size()); ++c)
            widths[std::size_t(c)] = std::max(widths[std::size_t(c)], line[c].size());
    for (const QStringList& line : lines) {
        QString out;
        for (qsizetype c = 0; c < line.size() && c < qsizetype(widths.size()); ++c) {
            if (c > 0)
                out += QStringLiteral("  ");
            out += c + 1 < line.size() ? line[c].leftJustified(widths[std::size_t(c)]) : line[c];
        }
        CliOut(out);
    }
}

} // namespace

int RunTableCommand(const QStringList& args) {
    CommandLine line(kUsage);
    if (const auto status = line.parse(args, 3, 4))
        return *status;
    const QStringList given = line.positional();
    const QString& verb = given[0];
    const QString& name = given[1];
    if (!kVerbs.contains(verb))
        return line.usageError(QStringLiteral("unknown verb '%1'").arg(verb));
    std::unique_ptr<TableEditor> editor = MakeTableEditor(name);
    if (!editor)
        return line.usageError(QStringLiteral("unknown table '%1' (one of: %2)")
                                   .arg(name, TableEditorNames().join(QStringLiteral(", "))));
    const bool import = verb == QLatin1String("import");
    if (import != (given.size() == 4))
        return line.usageError(import ? QStringLiteral("missing argument")
                                      : QStringLiteral("too many arguments"));
    const QString project =
        QDir::toNativeSeparators(QDir::cleanPath(QFileInfo(given[2]).absoluteFilePath()));
    if (!ArgumentIsFaithful(given[2]) || !QFileInfo(project).isDir()) {
        CliErr(QStringLiteral("quenzor-cli: \"%1\" is not a folder.")
                   .arg(PrintableText(QDir::toNativeSeparators(given[2]))));
        return 1;
    }

    CliTablePrompter prompter;
    if (!editor->Show(project, prompter))
        return 1;
    if (verb == QLatin1String("show")) {
        bool first = true;
        for (const TableListing& listing : editor->Listings()) {
            if (!first)
                CliOut(QString());
            first = false;
            printListing(listing);
        }
        return 0;
    }
    if (verb == QLatin1String("export"))
        return editor->Export(project, prompter) ? 0 : 1;
    if (import && !editor->Import(given[3], prompter))
        return 1;
    return editor->Ok(project, prompter) ? 0 : 1;
}
