// A flasher launcher that starts nothing: it records each start and answers with `failure`.
#pragma once

#include "firmware/FlasherLaunch.h"

#include <QList>

class RecordingLauncher : public FlasherLauncher {
public:
    struct Start {
        QString program;
        QByteArray parameter;
        QString workingFolder;
    };
    QString start(const QString& program, const QByteArray& parameter,
                  const QString& workingFolder) override {
        starts.append({program, parameter, workingFolder});
        return failure;
    }
    QList<Start> starts;
    QString failure;
};
