// The files every new project starts with: the default general parameters and an empty
// translate table.
#pragma once

#include "common/Result.h"

#include <QString>

// Writes the default pargen.xml and an empty var.xml; the failure is the first "Cannot create
// file" text.
Result<> WriteNewProjectFiles(const QString& pargenPath, const QString& varPath);
