// The Modbus address translate table: the 2000-row grid behind its dialog, var.xml's reader
// and writer, and the row checks run before a save.
#pragma once

#include "common/Result.h"
#include "common/TextGridModel.h"

#include <QByteArray>
#include <QList>
#include <QString>
#include <QStringList>

#include <array>
#include <cstdint>
#include <optional>
#include <vector>

class Prompter;

// In code order: the code of a name is its position plus 1.
inline const QStringList kDataTypeNames = {
    QStringLiteral("Coil Status"), QStringLiteral("Input Status"),
    QStringLiteral("Holding Register"), QStringLiteral("Input Register")};

inline constexpr int kTranslateRows = 2000;

enum TranslateColumn {
    ColNumber,
    ColDataType,
    ColTcpAddress,
    ColRtuAddDev,
    ColRtuAddress,
    ColNPoint,
    ColMnemonic,
    TranslateColumnCount
};

// One checked row as var.xml stores it.
struct TMyRec {
    std::uint8_t DataType = 0;
    std::uint16_t TcpAddress = 0;
    std::uint8_t RtuAddDev = 0;
    std::uint16_t RtuAddress = 0;
    std::uint8_t NPoint = 0;
    QString Mnemonic;
    friend bool operator==(const TMyRec&, const TMyRec&) = default;
};

// var.xml as one schema of the text grid: lines 1..2000, column 0 showing the line number.
class TranslateTableModel : public TextGridModel {
    Q_OBJECT
public:
    using Row = std::array<QString, TranslateColumnCount>;

    explicit TranslateTableModel(QObject* parent = nullptr);

    // Replaces the whole grid in one step (missing rows become empty).
    void replaceAll(const std::vector<Row>& rows);
};

// Empties the grid and fills it from var.xml; a missing file leaves it empty. A file that
// cannot be read completely keeps the rows read so far and fails with the reason.
Result<> LoadTranslateTable(TranslateTableModel& model, const QString& path);

// A "Data Type" that is neither empty nor one of the names, in any line: the line-numbered
// message.
Result<> CheckDataTypeNames(const TranslateTableModel& model);

// Builds the rows from line 1 down to the first line without "Address TCP"; the first
// failing check's message is the failure.
Result<> ValidateTranslateTable(const TranslateTableModel& model, QList<TMyRec>& TranslateRows);

// The line that ends the table when it or a line below it still holds typed text (which a
// save would leave out); 0 when nothing typed is left out.
int FirstLeftOutLine(const TranslateTableModel& model);

// var.xml's content; nullopt when a text holds a character XML cannot carry.
std::optional<QByteArray> TranslateTableXml(const QList<TMyRec>& rows);

// Replaces var.xml atomically; the failure is the "Cannot create file" text.
Result<> SaveTranslateFile(const QList<TMyRec>& rows, const QString& path);

// The OK of the translate table dialog: the checks (an error box on failure), a question when
// typed lines would be left out or an unread file replaced, then the save (a failed write goes
// to the general error report). True when the file was written.
bool ConfirmTranslateTable(const TranslateTableModel& model, const QString& path,
                           bool replacesUnreadFile, const QString& dialogTitle, Prompter& prompter);
