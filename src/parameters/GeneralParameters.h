// The gateway's general parameters (pargen.xml): the values as the parameters dialog holds
// them, their defaults, the file's reader and writer, and the checks run before a save.
#pragma once

#include "common/Result.h"
#include "parameters/PargenSchema.h"

#include <QByteArray>
#include <QString>
#include <QStringList>

#include <array>
#include <optional>

class Prompter;

using Pargen::BaudPosition;
using Pargen::kBaudCodeOffset;
using Pargen::kBaudNames;
using Pargen::kModeNames;
using Pargen::kParityNames;

inline constexpr int kSnmpNameLength = 13;

// Octets, time-out and offset are kept exactly as typed: the file stores them so and every
// reader converts them again.
struct GeneralParameters {
    std::array<QString, 4> ip;
    std::array<QString, 4> sub;
    std::array<QString, 4> gat;
    QString port; // the port field's text; stored as its value in decimal
    QString snmpPublic;
    QString snmpPrivate;
    int baudCode = 0; // the stored code, so a code outside the list survives a save untouched
    int parity = 0;   // list position: 0 NONE, 1 ODD, 2 EVEN
    QString timeOut;
    QString offset;
    int mode = 0; // 0 "Routing Mode", 1 "NAT Mode"

    friend bool operator==(const GeneralParameters&, const GeneralParameters&) = default;
};

// The values a new project starts with.
GeneralParameters WriteParameterDefaults();

struct LoadedParameters {
    GeneralParameters values;
    // The parser's message (or why the file could not be opened); the values are then the
    // defaults and the file has not been read at all.
    std::optional<QString> error;
};

// Defaults, then each element of the file independently, with its own fallback. A missing
// file is not an error.
LoadedParameters LoadParameters(const QString& path);

// The whole file: the twenty elements in their fixed order, without declaration.
QByteArray ParametersXml(const GeneralParameters& values);

// Replaces the file atomically. nullopt on success, else the "Cannot create file" text.
Result<> SaveParameters(const GeneralParameters& values, const QString& path);

// The checks of an OK, in order; the failure is the first failing check's message.
Result<> ValidateParameters(const GeneralParameters& values);

// The port as it is stored: the field's integer value, 0 for a text that is none.
int PortValue(const GeneralParameters& values);
QString ParityCode(int parityPosition);
QString ModeCode(int mode);

// The IP address octets joined with ".", exactly as typed.
QString PingAddress(const GeneralParameters& values);
// NAT mode is the one that uses the translate table.
bool TranslateTableInUse(const GeneralParameters& values);

enum class ParametersOk { CheckFailed, Declined, SaveFailed, Saved };

// The OK of the parameters dialog: checks (an error box on failure), asks before replacing a
// file that could not be read when `replacesUnreadFile`, then saves (a failed write goes to
// the general error report).
ParametersOk ConfirmParameters(const GeneralParameters& values, const QString& path,
                               bool replacesUnreadFile, const QString& dialogTitle,
                               Prompter& prompter);

// "<path> could not be read. Replace it with the values shown?"
QString ReplaceUnreadFileQuestion(const QString& path);
