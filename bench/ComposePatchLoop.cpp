// The clone benchmark's yardstick: one site's compose and patch, repeated N times in one
// process, as fast as the core does them.
#include "common/RecordingPrompter.h"
#include "firmware/FirmwarePatcher.h"
#include "image/ImageWriters.h"
#include "project/ProjectLayout.h"

#include <QCoreApplication>

#include <cstdio>

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    if (argc != 4) {
        std::fprintf(stderr, "usage: %s PROJECT_DIR BASE_SX N\n", argv[0]);
        return 2;
    }
    const QString project = QString::fromLocal8Bit(argv[1]);
    const QString base = QString::fromLocal8Bit(argv[2]);
    const int n = QString::fromLocal8Bit(argv[3]).toInt();
    for (int i = 0; i < n; ++i) {
        ConfigImage image;
        if (!ComposeAndSaveImage(image, ProjectLayout::PargenPath(project), project).ok())
            return 1;
        RecordingPrompter prompter;
        NoPatchProgress progress;
        if (PatchFirmwareBank(1, false, base, QStringLiteral("New_sx93051.sx"),
                              ProjectLayout::BinFolder(project), project, progress, prompter,
                              PatchOutput::OnlyWhenPlaced) != 1)
            return 1;
    }
    return 0;
}
