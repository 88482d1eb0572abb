// The commissioning report of a project: what the site's gateway is given (its parameters, its
// translate and CANopen tables, the composed image and the firmware made from it), gathered
// from the same core code as the dialogs, as sections a renderer lays out.
#pragma once

#include "common/Result.h"
#include "image/ImageComposer.h"

#include <QDateTime>
#include <QList>
#include <QString>
#include <QStringList>

#include <utility>
#include <vector>

struct ReportTable {
    // Above the table; may be empty.
    QString caption;
    QStringList headings;
    std::vector<QStringList> rows;
    // Shown instead of a table without rows.
    QString whenEmpty;
};

struct ReportSection {
    QString title;
    // Label and value, shown as a two-column list.
    QList<std::pair<QString, QString>> fields;
    std::vector<ReportTable> tables;
    // Paragraphs after the fields and tables.
    QStringList notes;
};

struct CommissioningReport {
    QString projectName;
    QString projectFolder;
    // The instant the image was composed for the report.
    QDateTime generated;
    QString program; // "Firmware Quenzor 1.001"
    std::vector<ReportSection> sections;
};

// The program's name and version, as the report names it.
QString ReportProgram();

// Reads the project folder without writing to it: the image is composed in memory. Fails when
// the folder is none or its pargen.xml cannot be composed; a table, var.xml or probe.json that
// cannot be read becomes a note in its section.
Result<CommissioningReport>
BuildCommissioningReport(const QString& projectFolder,
                         const CompositionClock& clock = CompositionTime);
