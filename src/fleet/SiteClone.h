// Fleets of sites: one project per row of a sites table, made from a template project with
// its general parameters replaced, checked, composed and, on request, patched into its own
// new firmware. The flasher is never started here.
#pragma once

#include "check/ProjectCheck.h"
#include "common/Result.h"
#include "parameters/GeneralParameters.h"

#include <QList>
#include <QString>
#include <QStringList>

#include <functional>

struct SitesTable {
    QStringList columns; // "name", then pargen.xml element names
    struct Row {
        int line = 0; // in the file, 1 for the headings
        QStringList cells;
    };
    QList<Row> rows;
};

// A CSV file as our exports and spreadsheets write it: "," or ";" between cells, double quotes
// around a cell that holds them, CR LF or LF. The first line names the columns: "name" and any
// pargen.xml element (TCP_IP1, TCP_PORT, SNMP_PUBLIC, ...). An unknown column is a failure.
Result<SitesTable> ReadSitesTable(const QString& path);

struct CloneOptions {
    QString templateFolder;
    QString targetFolder; // the new projects' parent
    QString baseFirmware; // MASTER's firmware, for `patch`
    bool patch = false;
};

struct SiteOutcome {
    int line = 0;
    QString name;
    bool made = false;
    QString detail;       // the new firmware when patched, otherwise why the row failed
    QStringList warnings; // the project check's warnings of a made site, one line each
};

// What every site takes from the template alike, read once for a whole table: its general
// parameters, and the findings of its tables (copied unchanged, so the same for each site).
struct SiteTemplate {
    LoadedParameters parameters;
    QList<Finding> tableFindings;
};
SiteTemplate ReadSiteTemplate(const QString& templateFolder);

// One site: copies the template's files into targetFolder/name, replaces the row's values,
// checks them as General Parameter's OK does, runs the project check (an error among the
// template's table findings fails the row too), composes bin/bank1.bin and bin/bankg.c and,
// with `patch`, writes New_<base> into it. A row that fails leaves no project behind.
SiteOutcome CloneSite(const CloneOptions& options, const QStringList& columns,
                      const SitesTable::Row& row, const SiteTemplate& from);

// Every row in order; a failed row does not stop the others. Names used twice are refused
// after their first row. `progress` is told after each row.
QList<SiteOutcome> CloneSites(const CloneOptions& options, const SitesTable& table,
                              const std::function<void(int done, int total)>& progress = {});
