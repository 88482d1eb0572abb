// Start-up as a user pays it, for the start-up benchmark: the Firmware Quenzor window with
// every dialog constructed, shown and painted once, then quit; or, to compare, a bare Qt
// Widgets window doing the same.
#include "common/QtPrompter.h"
#include "project/Workspace.h"
#include "shell/TFQuenzoreFirmWare.h"

#include <QApplication>
#include <QLabel>
#include <QPushButton>
#include <QTimer>
#include <QVBoxLayout>

#include <cstring>

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    const bool bare = argc > 1 && std::strcmp(argv[1], "--bare") == 0;
    std::unique_ptr<QWidget> window;
    QtPrompter prompter;
    Workspace workspace;
    if (bare) {
        window = std::make_unique<QWidget>();
        auto* layout = new QVBoxLayout(window.get());
        layout->addWidget(new QLabel(QStringLiteral("A bare window")));
        layout->addWidget(new QPushButton(QStringLiteral("OK")));
    } else {
        auto main =
            std::make_unique<TFQuenzoreFirmWare>(workspace, prompter, DefaultProgramFolder());
        main->CreateDialogs();
        window = std::move(main);
    }
    window->show();
    // Quit once the first paint has gone through the event loop.
    QTimer::singleShot(0, &app, [&] {
        window->repaint();
        app.quit();
    });
    return app.exec();
}
