#include "fleet/SiteClone.h"

#include "common/FileIO.h"
#include "common/IntegerText.h"
#include "common/RecordingPrompter.h"
#include "firmware/FirmwarePatcher.h"
#include "image/ImageWriters.h"
#include "parameters/GeneralParameters.h"
#include "project/ProjectLayout.h"

#include <QDir>
#include <QDirIterator>
#include <QFileInfo>
#include <QSet>
#include <QStringDecoder>

namespace {

using Pargen::Element;

QStringList splitCsvLine(const QString& line, QChar separator) {
    QStringList cells;
    QString cell;
    bool quoted = false;
    for (qsizetype i = 0; i < line.size(); ++i) {
        const QChar c = line[i];
        if (quoted) {
            if (c == QLatin1Char('"') && i + 1 < line.size() && line[i + 1] == QLatin1Char('"'))
                cell += c, ++i;
            else if (c == QLatin1Char('"'))
                quoted = false;
            else
                cell += c;
        } else if (c == QLatin1Char('"')) {
            quoted = true;
        } else if (c == separator) {
            cells << cell.trimmed();
            cell.clear();
        } else {
            cell += c;
        }
    }
    cells << cell.trimmed();
    // Our own exports end every value with a separator.
    if (cells.size() > 1 && cells.last().isEmpty() && line.trimmed().endsWith(separator))
        cells.removeLast();
    return cells;
}

std::optional<Element> elementNamed(const QString& name) {
    for (int e = 0; e < Pargen::kElementCount; ++e)
        if (Pargen::ElementName(Element(e)) == name)
            return Element(e);
    return std::nullopt;
}

// Puts `text` into the field of `element` the way the dialog would hold it.
Result<> setField(GeneralParameters& p, Element element, const QString& text) {
    const int e = int(element);
    const auto integer = [&text]() -> Result<int> {
        if (const auto v = ParseIntegerText(text))
            return *v;
        return Fail(InvalidIntegerMessage(text));
    };
    if (e >= int(Element::Ip1) && e <= int(Element::Ip4))
        p.ip[e - int(Element::Ip1)] = text;
    else if (e >= int(Element::Sub1) && e <= int(Element::Sub4))
        p.sub[e - int(Element::Sub1)] = text;
    else if (e >= int(Element::Gat1) && e <= int(Element::Gat4))
        p.gat[e - int(Element::Gat1)] = text;
    else if (element == Element::Port)
        p.port = text;
    else if (element == Element::SnmpPublic || element == Element::SnmpPrivate) {
        if (text.size() > kSnmpNameLength)
            return Fail(QStringLiteral("%1 holds at most %2 characters")
                            .arg(Pargen::ElementName(element))
                            .arg(kSnmpNameLength));
        (element == Element::SnmpPublic ? p.snmpPublic : p.snmpPrivate) = text;
    } else if (element == Element::TimeOut)
        p.timeOut = text;
    else if (element == Element::Offset)
        p.offset = text;
    else {
        const Result<int> value = integer();
        if (!value)
            return Fail(value.error());
        if (element == Element::Baud) {
            if (Pargen::BaudPosition(*value) < 0)
                return Fail(QStringLiteral("BAUD %1 is not a baud rate code (3 to 7)").arg(text));
            p.baudCode = *value;
        } else if (element == Element::Parity) {
            if (Pargen::ParityName(*value).isEmpty())
                return Fail(QStringLiteral("PARITY %1 is not a parity code (0, 2 or 3)").arg(text));
            p.parity = Pargen::ParityPosition(*value);
        } else if (element == Element::Mode) {
            if (*value != 0 && *value != 1)
                return Fail(QStringLiteral("MODE %1 is not a mode code (0 or 1)").arg(text));
            p.mode = *value;
        }
    }
    return Ok();
}

// A site's name becomes a folder under the target: one plain name, nothing that climbs out.
QString nameProblem(const QString& name) {
    if (name.isEmpty())
        return QStringLiteral("the name is empty");
    if (name == QLatin1String(".") || name == QLatin1String("..") ||
        name.contains(QLatin1Char('/')) || name.contains(QLatin1Char('\\')) ||
        name.contains(QChar(0)))
        return QStringLiteral("the name \"%1\" would leave the target folder").arg(name);
    return {};
}

Result<> copyTemplate(const QString& from, const QString& to) {
    QDirIterator it(from, QDir::Files | QDir::Hidden | QDir::NoDotAndDotDot,
                    QDirIterator::Subdirectories);
    while (it.hasNext()) {
        const QString source = it.next();
        const QString relative = QDir(from).relativeFilePath(source);
        // The template's own image and firmware are made again for the site, and its
        // pargen.xml is written from the row's values: copying it first would write it twice.
        if (relative.startsWith(QStringLiteral("bin/")) ||
            relative.startsWith(QStringLiteral("New_")) ||
            QFileInfo(source) == QFileInfo(ProjectLayout::PargenPath(from)))
            continue;
        const Result<QByteArray> bytes = ReadRegularFile(source);
        if (!bytes)
            return Fail(bytes.error());
        const QString target = JoinPath(to, relative);
        QDir().mkpath(QFileInfo(target).absolutePath());
        if (Result<> written = WriteFileAtomically(target, *bytes); !written)
            return written;
    }
    return Ok();
}

} // namespace

Result<SitesTable> ReadSitesTable(const QString& path) {
    Result<QByteArray> bytes = ReadRegularFile(path);
    if (!bytes)
        return Fail(bytes.error());
    QStringDecoder utf8(QStringDecoder::Utf8);
    QString text = utf8(*bytes);
    if (text.startsWith(QChar(0xFEFF)))
        text.remove(0, 1);
    text.remove(QLatin1Char('\r'));
    const QStringList lines = text.split(QLatin1Char('\n'));
    SitesTable table;
    if (lines.isEmpty() || lines.first().trimmed().isEmpty())
        return Fail(QStringLiteral("%1: the first line must name the columns").arg(path));
    const QChar separator =
        lines.first().count(QLatin1Char(';')) > lines.first().count(QLatin1Char(','))
            ? QLatin1Char(';')
            : QLatin1Char(',');
    table.columns = splitCsvLine(lines.first(), separator);
    if (table.columns.value(0).compare(QStringLiteral("name"), Qt::CaseInsensitive) != 0)
        return Fail(QStringLiteral("%1, line 1: the first column must be \"name\"").arg(path));
    for (qsizetype c = 1; c < table.columns.size(); ++c)
        if (!elementNamed(table.columns[c]))
            return Fail(QStringLiteral("%1, line 1: \"%2\" is not a pargen.xml element")
                            .arg(path, table.columns[c]));
    for (qsizetype i = 1; i < lines.size(); ++i) {
        if (lines[i].trimmed().isEmpty())
            continue;
        table.rows.append({int(i + 1), splitCsvLine(lines[i], separator)});
    }
    return table;
}

SiteTemplate ReadSiteTemplate(const QString& templateFolder) {
    return {LoadParameters(ProjectLayout::PargenPath(templateFolder)), CheckTables(templateFolder)};
}

SiteOutcome CloneSite(const CloneOptions& options, const QStringList& columns,
                      const SitesTable::Row& row, const SiteTemplate& from) {
    SiteOutcome outcome{row.line, row.cells.value(0), false, {}, {}};
    if (const QString problem = nameProblem(outcome.name); !problem.isEmpty()) {
        outcome.detail = problem;
        return outcome;
    }
    if (row.cells.size() != columns.size()) {
        outcome.detail = QStringLiteral("%1 cells where the headings name %2")
                             .arg(row.cells.size())
                             .arg(columns.size());
        return outcome;
    }
    const QString project = JoinPath(options.targetFolder, outcome.name);
    if (QFileInfo::exists(project)) {
        outcome.detail =
            QStringLiteral("\"%1\" exists already").arg(QDir::toNativeSeparators(project));
        return outcome;
    }
    const auto fail = [&](const QString& why) {
        QDir(project).removeRecursively(); // ours: it did not exist before this row
        outcome.detail = why;
        return outcome;
    };
    if (from.parameters.error)
        return fail(*from.parameters.error);
    GeneralParameters values = from.parameters.values;
    for (qsizetype c = 1; c < columns.size(); ++c)
        if (Result<> set = setField(values, *elementNamed(columns[c]), row.cells[c]); !set)
            return fail(set.error());
    if (Result<> checked = ValidateParameters(values); !checked)
        return fail(checked.error());
    if (!QDir().mkpath(ProjectLayout::BinFolder(project)))
        return fail(
            QStringLiteral("Cannot create folder \"%1\".").arg(QDir::toNativeSeparators(project)));
    if (Result<> copied = copyTemplate(options.templateFolder, project); !copied)
        return fail(copied.error());
    if (Result<> saved = SaveParameters(values, ProjectLayout::PargenPath(project)); !saved)
        return fail(saved.error());
    QStringList errors;
    for (const Finding& f : CheckParameters(project) + from.tableFindings)
        (f.level == FindingLevel::Error ? errors : outcome.warnings).append(FindingLine(f));
    if (!errors.isEmpty())
        return fail(errors.join(QStringLiteral("; ")));
    ConfigImage image;
    if (Result<> composed = ComposeAndSaveImage(image, ProjectLayout::PargenPath(project), project);
        !composed)
        return fail(composed.error());
    if (options.patch) {
        RecordingPrompter prompter;
        NoPatchProgress progress;
        const QString name =
            ProjectLayout::NewFirmwareName(QFileInfo(options.baseFirmware).fileName());
        const int result = PatchFirmwareBank(1, false, options.baseFirmware, name,
                                             ProjectLayout::BinFolder(project), project, progress,
                                             prompter, PatchOutput::OnlyWhenPlaced);
        if (result != 1) {
            const QStringList said = prompter.texts();
            return fail(said.isEmpty()
                            ? QStringLiteral("the bank was not placed (result %1)").arg(result)
                            : said.join(QStringLiteral("; ")));
        }
        outcome.detail = JoinPath(project, name);
    }
    outcome.made = true;
    return outcome;
}

QList<SiteOutcome> CloneSites(const CloneOptions& options, const SitesTable& table,
                              const std::function<void(int done, int total)>& progress) {
    QList<SiteOutcome> outcomes;
    QSet<QString> names;
    const SiteTemplate from = ReadSiteTemplate(options.templateFolder);
    for (const SitesTable::Row& row : table.rows) {
        const QString name = row.cells.value(0);
        if (names.contains(name)) {
            outcomes.append({row.line,
                             name,
                             false,
                             QStringLiteral("the name \"%1\" is used by an earlier row").arg(name),
                             {}});
        } else {
            names.insert(name);
            outcomes.append(CloneSite(options, table.columns, row, from));
        }
        if (progress)
            progress(int(outcomes.size()), int(table.rows.size()));
    }
    return outcomes;
}
