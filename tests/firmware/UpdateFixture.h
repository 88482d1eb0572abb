// A program folder with MASTER/sx93051.sx, the flasher's file and a project with its bin
// folder and bank1.bin, for the tests of the firmware update step.
#pragma once

#include "project/Workspace.h"

#include "FirmwareTestData.h"

#include <QDir>
#include <QTemporaryDir>

struct UpdateFixture {
    QTemporaryDir dir;
    Workspace ws;
    QByteArray image = testdata::bankImage(5);

    UpdateFixture() {
        const QString program = QDir::toNativeSeparators(dir.path());
        ws = BuildWorkspace(program);
        QDir(program).mkpath("MASTER");
        QDir(program).mkpath("PROJECTS/P1/bin");
        openProject("P1");
        testdata::writeFile(ws.MasterFolder + "/sx93051.sx",
                            testdata::crlfText(testdata::sampleBase()));
        testdata::writeFile(ws.ProgramFolder + "/VidodIzuze.exe", "stand-in");
        QFile::setPermissions(ws.ProgramFolder + "/VidodIzuze.exe",
                              QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
        testdata::writeFile(binFile(), image);
    }
    void openProject(const QString& name) {
        ws.ProjectName = QDir::separator() + name;
        ws.ProjectFolder = ws.ProjectsFolder + ws.ProjectName;
        RefreshProjectPaths(ws);
    }
    QString binFile() const { return ws.ProjectFolder + "/bin/bank1.bin"; }
    QString newFirmware() const { return ws.ProjectFolder + QDir::separator() + "New_sx93051.sx"; }
    QByteArray expectedNewFirmware() const {
        QByteArrayList lines = testdata::sampleBase();
        const qsizetype first = lines.indexOf(testdata::s2(0x388000, 16, '\xFF'));
        lines.remove(first, 1024);
        const QByteArrayList bank = testdata::bankRecords(image);
        for (qsizetype i = 0; i < bank.size(); ++i)
            lines.insert(first + i, bank[i]);
        return testdata::crlfText(lines);
    }
};
