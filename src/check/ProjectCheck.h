// Every problem of a project in one run, each with its file, row and a plain sentence: what
// `quenzor-cli check` prints and what Update Device looks at before it composes.
#pragma once

#include <QList>
#include <QString>

enum class FindingLevel { Error, Warning };

struct Finding {
    FindingLevel level;
    QString file; // the file's name in the project folder
    int row = 0;  // from 1; 0 when the finding is not about one row
    QString text;
    // The composer stops on it with a message of its own (Update Device shows that one).
    bool composerReports = false;
};

QList<Finding> CheckProject(const QString& projectFolder);
// The two halves of it: pargen.xml alone, and the translate table with the CANopen tables.
QList<Finding> CheckParameters(const QString& projectFolder);
QList<Finding> CheckTables(const QString& projectFolder);

// "error pargen.xml row 3: ..." one line per finding.
QString FindingLine(const Finding& finding);
// The findings as a JSON array of {level, file, row, text}.
QByteArray FindingsJson(const QList<Finding>& findings);
// 0 clean, 1 errors, 3 warnings only.
int FindingsExitStatus(const QList<Finding>& findings);
