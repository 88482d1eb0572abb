#include "parameters/NewProjectFiles.h"

#include "common/FileIO.h"
#include "parameters/GeneralParameters.h"
#include "parameters/TranslateTable.h"

#include <QDir>
#include <QFileInfo>

Result<> WriteNewProjectFiles(const QString& pargenPath, const QString& varPath) {
    if (Result<> saved = SaveParameters(WriteParameterDefaults(), pargenPath); !saved)
        return saved;
    return SaveTranslateFile({}, varPath);
}
