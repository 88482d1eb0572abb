// Small file helpers shared by the tests: reading what the code wrote and writing its inputs.
#pragma once

#include <QByteArray>
#include <QFile>
#include <QString>
#include <QTest>

// The file's bytes, or a marker no test expects when the file cannot be read, so a missing
// file never passes for an empty one.
inline QByteArray readFile(const QString& path) {
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly))
        return "<missing>";
    return f.readAll();
}

// Writes a test's input; a file that cannot be opened fails the calling test.
inline void writeFile(const QString& path, const QByteArray& bytes) {
    QFile f(path);
    QVERIFY(f.open(QIODevice::WriteOnly));
    f.write(bytes);
}

// For set-up code that needs the path back: a file that cannot be written whole stops the run.
inline QString writeFileOrAbort(const QString& path, const QByteArray& bytes) {
    QFile f(path);
    if (!f.open(QIODevice::WriteOnly) || f.write(bytes) != bytes.size())
        qFatal("cannot write test file");
    return path;
}
