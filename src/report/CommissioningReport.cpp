#include "report/CommissioningReport.h"

#include "check/ProjectCheck.h"

#include "common/FileIO.h"
#include "common/RecordingPrompter.h"
#include "editors/TableEditor.h"
#include "firmware/ImageSource.h"
#include "image/ImageDescription.h"
#include "parameters/GeneralParameters.h"
#include "parameters/TranslateTable.h"
#include "project/ProjectLayout.h"

#include <QCryptographicHash>
#include <QDir>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QLocale>

namespace {

const QString kProbeFile = QStringLiteral("probe.json");

QString shown(const QString& path) {
    return QDir::toNativeSeparators(path);
}

QString sha256(const QByteArray& bytes) {
    return QString::fromLatin1(QCryptographicHash::hash(bytes, QCryptographicHash::Sha256).toHex());
}

QString bytesText(qint64 size) {
    return QStringLiteral("%1 bytes").arg(QLocale::c().toString(size));
}

QString joined(const std::array<QString, 4>& octets) {
    return QStringList(octets.begin(), octets.end()).join(QLatin1Char('.'));
}

// DescribeImage's "Label:   value" lines as pairs.
QList<std::pair<QString, QString>> describedImage(const ConfigImage& image) {
    QList<std::pair<QString, QString>> out;
    for (const QString& line : DescribeImage(image)) {
        const qsizetype colon = line.indexOf(QLatin1Char(':'));
        out.append({line.left(colon), line.mid(colon + 1).trimmed()});
    }
    return out;
}

ReportSection projectSection(const CommissioningReport& report) {
    ReportSection s{QStringLiteral("Project"), {}, {}, {}};
    s.fields = {{QStringLiteral("Project"), report.projectName},
                {QStringLiteral("Project folder"), shown(report.projectFolder)},
                {QStringLiteral("Report made"),
                 report.generated.toString(QStringLiteral("yyyy-MM-dd HH:mm:ss t"))},
                {QStringLiteral("Made with"), report.program}};
    return s;
}

// pargen.xml as typed beside what the composed image will give the device.
ReportSection parametersSection(const QString& folder, const ConfigImage& image) {
    ReportSection s{QStringLiteral("General parameters"), {}, {}, {}};
    const LoadedParameters loaded = LoadParameters(ProjectLayout::PargenPath(folder));
    const GeneralParameters& p = loaded.values;
    const QStringList entered = {joined(p.ip),
                                 joined(p.sub),
                                 joined(p.gat),
                                 p.port,
                                 QLatin1Char('"') + p.snmpPublic + QLatin1Char('"'),
                                 QLatin1Char('"') + p.snmpPrivate + QLatin1Char('"'),
                                 BaudRateName(p.baudCode),
                                 kParityNames.value(p.parity),
                                 p.timeOut,
                                 p.offset,
                                 kModeNames.value(p.mode)};
    const QList<std::pair<QString, QString>> composed = describedImage(image);
    ReportTable table{QString(),
                      {QStringLiteral("Parameter"), QStringLiteral("pargen.xml"),
                       QStringLiteral("Composed image")},
                      {},
                      {}};
    for (qsizetype i = 0; i < entered.size() && i < composed.size(); ++i)
        table.rows.push_back({composed[i].first, entered[i], composed[i].second});
    s.tables.push_back(std::move(table));
    s.notes << QStringLiteral("The left column holds the values as pargen.xml stores them, the "
                              "right one what the configuration image carries to the gateway.");
    return s;
}

ReportSection translateSection(const QString& folder) {
    ReportSection s{QStringLiteral("Translate table"), {}, {}, {}};
    const QString path = ProjectLayout::VarPath(folder);
    const GeneralParameters values = LoadParameters(ProjectLayout::PargenPath(folder)).values;
    s.fields = {
        {QStringLiteral("File"), shown(path)},
        {QStringLiteral("In use"),
         TranslateTableInUse(values)
             ? QStringLiteral("yes (%1)").arg(kModeNames.value(values.mode))
             : QStringLiteral("no: the gateway runs in %1").arg(kModeNames.value(values.mode))}};
    TranslateTableModel model;
    if (!QFileInfo::exists(path))
        s.notes << QStringLiteral("The project has no var.xml.");
    else if (Result<> loaded = LoadTranslateTable(model, path); !loaded)
        s.notes << QStringLiteral("var.xml could not be read completely: %1 The rows read before "
                                  "are listed.")
                       .arg(loaded.error());
    ReportTable table{QString(), {}, {}, QStringLiteral("No rows.")};
    for (int c = 0; c < model.columns(); ++c)
        table.headings << model.headerData(c, Qt::Horizontal).toString();
    for (int r = 0, end = model.rowsToLastText(); r < end; ++r) {
        QStringList row;
        for (int c = 0; c < model.columns(); ++c)
            row << model.cell(r, c);
        table.rows.push_back(std::move(row));
    }
    s.tables.push_back(std::move(table));
    return s;
}

// Each table file the project holds, listed by its editor as `quenzor-cli table show` lists it.
ReportSection canopenSection(const QString& folder) {
    ReportSection s{QStringLiteral("CANopen tables"), {}, {}, {}};
    QStringList absent;
    for (const TableFile file : {TableFile::Sdo, TableFile::Rpdodef, TableFile::Sdopdo,
                                 TableFile::Emcydef, TableFile::Emcyword}) {
        const QString name = ProjectLayout::TableName(file);
        const QString path = ProjectLayout::TablePath(folder, file);
        if (!QFileInfo::exists(path)) {
            absent << name + QStringLiteral(".xml");
            continue;
        }
        const std::unique_ptr<TableEditor> editor = MakeTableEditor(name);
        if (!editor) {
            s.notes << QStringLiteral("%1 is present; this version of the program cannot list it.")
                           .arg(QFileInfo(path).fileName());
            continue;
        }
        RecordingPrompter quiet;
        if (!editor->Show(folder, quiet))
            s.notes << QStringLiteral("%1: %2").arg(QFileInfo(path).fileName(),
                                                    quiet.texts().join(QLatin1Char(' ')));
        for (const TableListing& listing : editor->Listings())
            s.tables.push_back(
                {QStringLiteral("%1 (%2.xml): %3").arg(editor->caption(), name, listing.caption),
                 listing.headings, listing.rows, QStringLiteral("No rows.")});
    }
    if (!absent.isEmpty())
        s.notes
            << QStringLiteral("Not in this project: %1.").arg(absent.join(QStringLiteral(", ")));
    return s;
}

ReportSection checkSection(const QString& folder) {
    ReportSection s{QStringLiteral("Check"), {}, {}, {}};
    ReportTable table{QStringLiteral("Findings of quenzor-cli check"),
                      {QStringLiteral("Level"), QStringLiteral("File"), QStringLiteral("Row"),
                       QStringLiteral("Finding")},
                      {},
                      QStringLiteral("No problems found.")};
    for (const Finding& f : CheckProject(folder))
        table.rows.push_back(
            {f.level == FindingLevel::Error ? QStringLiteral("error") : QStringLiteral("warning"),
             f.file, f.row > 0 ? QString::number(f.row) : QString(), f.text});
    s.tables.push_back(std::move(table));
    return s;
}

ReportSection imageSection(const ConfigImage& image) {
    ReportSection s{QStringLiteral("Configuration image"), {}, {}, {}};
    const QList<std::pair<QString, QString>> described = describedImage(image);
    s.fields = {{QStringLiteral("Size"), bytesText(qint64(ConfigImage::size()))},
                {QStringLiteral("SHA-256"), sha256(image.toByteArray())}};
    for (const auto& field : described.mid(11))
        s.fields.append(field);
    s.notes << QStringLiteral("Composed from pargen.xml for this report; nothing was written to "
                              "the project. The image carries the time of its composition, so "
                              "every composition has a SHA-256 of its own.");
    return s;
}

ReportSection firmwareSection(const QString& folder, const ConfigImage& image) {
    ReportSection s{QStringLiteral("New firmware"), {}, {}, {}};
    const QString path =
        JoinPath(folder, ProjectLayout::NewFirmwareName(ProjectLayout::BaseFirmwareName()));
    s.fields.append({QStringLiteral("File"), shown(path)});
    const QFileInfo info(path);
    if (!info.exists()) {
        s.notes << QStringLiteral("Not made yet: Update Device (or quenzor-cli update) makes it.");
        return s;
    }
    const Result<QByteArray> bytes = ReadRegularFile(path);
    if (!bytes) {
        s.notes << bytes.error();
        return s;
    }
    s.fields.append({QStringLiteral("Size"), bytesText(bytes->size())});
    s.fields.append({QStringLiteral("SHA-256"), sha256(*bytes)});
    s.fields.append({QStringLiteral("Modified"),
                     info.lastModified().toString(QStringLiteral("yyyy-MM-dd HH:mm:ss t"))});
    const Result<ImageSource> carried = LoadImageSource(path);
    if (!carried) {
        s.fields.append({QStringLiteral("Configuration"), QStringLiteral("cannot be read")});
        s.notes << carried.error();
        return s;
    }
    const QList<FieldDifference> differences = CompareImages(image, carried->image);
    s.fields.append({QStringLiteral("Composed"), ImageStampText(carried->image)});
    s.fields.append({QStringLiteral("Configuration"),
                     differences.isEmpty()
                         ? QStringLiteral("the project's (every field equal)")
                         : QStringLiteral("differs from the project in %1 field%2")
                               .arg(differences.size())
                               .arg(differences.size() == 1 ? QString() : QStringLiteral("s"))});
    if (!differences.isEmpty()) {
        ReportTable table{
            QString(),
            {QStringLiteral("Field"), QStringLiteral("Project"), QStringLiteral("Firmware")},
            {},
            {}};
        for (const FieldDifference& d : differences)
            table.rows.push_back({d.field, d.first, d.second});
        s.tables.push_back(std::move(table));
    }
    return s;
}

// A value of the probe's file as one line of text.
QString jsonText(const QJsonValue& v) {
    switch (v.type()) {
    case QJsonValue::Bool:
        return v.toBool() ? QStringLiteral("true") : QStringLiteral("false");
    case QJsonValue::Double:
        return QString::number(v.toDouble(), 'g', 17);
    case QJsonValue::String:
        return v.toString();
    case QJsonValue::Null:
        return QStringLiteral("null");
    default:
        return {};
    }
}

// Nested objects and arrays as dotted paths: "ping.replies", "ports[1].name".
void flatten(const QJsonValue& v, const QString& path, std::vector<QStringList>& rows) {
    if (v.isObject()) {
        const QJsonObject o = v.toObject();
        for (auto it = o.begin(); it != o.end(); ++it)
            flatten(it.value(), path.isEmpty() ? it.key() : path + QLatin1Char('.') + it.key(),
                    rows);
        if (o.isEmpty())
            rows.push_back({path, QStringLiteral("{}")});
    } else if (v.isArray()) {
        const QJsonArray a = v.toArray();
        for (qsizetype i = 0; i < a.size(); ++i)
            flatten(a[i], QStringLiteral("%1[%2]").arg(path).arg(i), rows);
        if (a.isEmpty())
            rows.push_back({path, QStringLiteral("[]")});
    } else {
        rows.push_back({path, jsonText(v)});
    }
}

// Written by the device probe, whose fields this program does not know: every value is listed.
std::optional<ReportSection> probeSection(const QString& folder) {
    const QString path = JoinPath(folder, kProbeFile);
    if (!QFileInfo::exists(path))
        return std::nullopt;
    ReportSection s{
        QStringLiteral("Device probe"), {{QStringLiteral("File"), shown(path)}}, {}, {}};
    const Result<QByteArray> bytes = ReadRegularFile(path);
    if (!bytes) {
        s.notes << bytes.error();
        return s;
    }
    QJsonParseError error;
    const QJsonDocument doc = QJsonDocument::fromJson(*bytes, &error);
    if (doc.isNull()) {
        s.notes << QStringLiteral("%1 could not be read: %2 (at byte %3).")
                       .arg(kProbeFile, error.errorString())
                       .arg(error.offset);
        return s;
    }
    ReportTable table{QString(),
                      {QStringLiteral("Item"), QStringLiteral("Value")},
                      {},
                      QStringLiteral("The file holds no values.")};
    flatten(doc.isObject() ? QJsonValue(doc.object()) : QJsonValue(doc.array()), QString(),
            table.rows);
    s.tables.push_back(std::move(table));
    return s;
}

ReportSection signOffSection() {
    ReportSection s{QStringLiteral("Sign-off"), {}, {}, {}};
    s.tables.push_back({QString(),
                        {QStringLiteral("Role"), QStringLiteral("Name"), QStringLiteral("Date"),
                         QStringLiteral("Signature")},
                        {{QStringLiteral("Commissioned by"), {}, {}, {}},
                         {QStringLiteral("Accepted by"), {}, {}, {}}},
                        {}});
    return s;
}

} // namespace

QString ReportProgram() {
    return QStringLiteral("Firmware Quenzor " QUENZOR_VERSION);
}

Result<CommissioningReport> BuildCommissioningReport(const QString& projectFolder,
                                                     const CompositionClock& clock) {
    const QString folder = QDir::cleanPath(QFileInfo(projectFolder).absoluteFilePath());
    if (!QFileInfo(folder).isDir())
        return Fail(QStringLiteral("\"%1\" is not a folder.").arg(shown(projectFolder)));
    const CompositionStamp now = clock();
    if (!now)
        return Fail(now.error());
    ConfigImage image;
    if (Result<> composed =
            ComposeImage(image, ProjectLayout::PargenPath(folder), [&] { return now; });
        !composed)
        return Fail(composed.error());

    CommissioningReport report;
    report.projectName = QFileInfo(folder).fileName();
    report.projectFolder = folder;
    report.generated = *now;
    report.program = ReportProgram();
    report.sections.push_back(projectSection(report));
    report.sections.push_back(parametersSection(folder, image));
    report.sections.push_back(translateSection(folder));
    report.sections.push_back(canopenSection(folder));
    report.sections.push_back(checkSection(folder));
    report.sections.push_back(imageSection(image));
    report.sections.push_back(firmwareSection(folder, image));
    if (std::optional<ReportSection> probe = probeSection(folder))
        report.sections.push_back(std::move(*probe));
    report.sections.push_back(signOffSection());
    return report;
}
