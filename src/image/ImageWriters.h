// The two renderings of the configuration image in a project's bin folder: bank1.bin (the raw
// bytes the patcher merges) and bankg.c (the same bytes as a C array in a constant segment).
#pragma once

#include "common/Result.h"
#include "image/ConfigImage.h"
#include "image/ImageComposer.h"

#include <QByteArray>
#include <QString>

QString ImageBinPath(const QString& projectFolder);
QString ImageCPath(const QString& projectFolder);

// bankg.c: 1027 lines, each ended by CR LF.
QByteArray RenderImageC(const ConfigImage& image);

// Each replaces its file atomically; the failure is "Cannot create file "<path>". <reason>".
Result<> SaveImageBin(const ConfigImage& image, const QString& projectFolder);
Result<> SaveImageC(const ConfigImage& image, const QString& projectFolder);

// The image step of a device update: compose, then bank1.bin and bankg.c together. A failed
// composition writes nothing, so a stale or half-filled image can never reach the patcher, and
// a failed write replaces neither file.
Result<> ComposeAndSaveImage(ConfigImage& image, const QString& pargenPath,
                             const QString& projectFolder,
                             const CompositionClock& clock = CompositionTime);
