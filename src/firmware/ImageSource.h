// The configuration image a project, a bank file or a firmware carries, and what differs
// between two of them, field by field: what `verify` and `diff` compare.
#pragma once

#include "common/Result.h"
#include "image/ConfigImage.h"

#include <QList>
#include <QString>

enum class ImageSourceKind { Project, BankFile, Firmware };

struct ImageSource {
    ImageSourceKind kind = ImageSourceKind::BankFile;
    ConfigImage image;
};

// A folder is a project (its pargen.xml composed now; nothing is written), a file that starts
// like an S-record is a firmware (it must be sound with its bank-1 window whole), anything else
// a bank file of 16384 bytes.
Result<ImageSource> LoadImageSource(const QString& path);

struct FieldDifference {
    QString field; // as `inspect` names it: "IP address", "Baud rate", ...
    QString first;
    QString second;
};

// Every parameter field whose value differs, in image order, and the count of other bytes
// that differ. The composition time is not compared: a project composed now never equals it.
QList<FieldDifference> CompareImages(const ConfigImage& first, const ConfigImage& second);

// "Composed:" of `inspect`: the image's time stamp as text.
QString ImageStampText(const ConfigImage& image);
