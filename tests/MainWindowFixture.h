// The main window on a temporary program folder, with its messages recorded, for GUI tests.
#pragma once

#include "common/RecordingPrompter.h"
#include "project/Workspace.h"
#include "shell/TFQuenzoreFirmWare.h"

#include <QTemporaryDir>

#include <memory>

struct MainWindowFixture {
    QTemporaryDir dir; // the program folder
    RecordingPrompter prompter;
    Workspace ws;
    std::unique_ptr<TFQuenzoreFirmWare> window;

    // Builds the window and its dialogs as start-up does; settings in dir are read here.
    void start() {
        window = std::make_unique<TFQuenzoreFirmWare>(ws, prompter, dir.path());
        window->CreateDialogs();
    }
};
