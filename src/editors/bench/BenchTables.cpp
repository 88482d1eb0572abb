// quenzor-bench-tables: the measurements of scripts/bench-tables.sh that run inside one
// process, each against its reference in the same run.
//   order N RUNS         repeated-minimum ordering of N random keys against std::stable_sort
//   table NAME DIR ROWS  writes DIR/NAME.xml with ROWS rows per direction, in random order
//   show RUNS            TFsdo shown with both grids full against a bare QTableView
//   wemcy RUNS           TFWemcy shown with 2 x 1000 words against a bare QTreeView
#include "common/RecordingPrompter.h"
#include "editors/EmcyTable.h"
#include "editors/EmcyWordTable.h"
#include "editors/PdoTable.h"
#include "editors/RepeatedMinimum.h"
#include "editors/SdoTable.h"
#include "editors/TFGridTable.h"
#include "editors/TFWemcy.h"
#include "editors/TableFile.h"
#include "editors/TableFiles.h"
#include "project/Workspace.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QRandomGenerator>
#include <QStandardItemModel>
#include <QTableView>
#include <QTemporaryDir>
#include <QTreeView>

#include <algorithm>
#include <cstdio>
#include <functional>
#include <random>

namespace {

double medianMs(int runs, const std::function<void()>& job) {
    job(); // warm-up
    std::vector<double> times;
    for (int i = 0; i < runs; ++i) {
        QElapsedTimer t;
        t.start();
        job();
        times.push_back(double(t.nsecsElapsed()) / 1e6);
    }
    std::sort(times.begin(), times.end());
    return times[times.size() / 2];
}

void report(const char* name, double ms, double reference) {
    std::printf("%-44s %10.3f ms  %6.2fx\n", name, ms, ms / reference);
}

int order(int n, int runs) {
    QRandomGenerator random(20240611);
    std::vector<std::int32_t> raw(static_cast<std::size_t>(n));
    std::vector<OrderKey> keys(std::size_t(n), OrderKey{});
    std::vector<QStringList> texts(static_cast<std::size_t>(n));
    for (int i = 0; i < n; ++i) {
        raw[std::size_t(i)] = std::int32_t(random.bounded(0x999999 + 1));
        keys[std::size_t(i)][0] = raw[std::size_t(i)];
        texts[std::size_t(i)] = {QStringLiteral("0x") + QString::number(raw[std::size_t(i)], 16)};
    }
    const OrderKey bound{0x999999, 0, 0};
    const OrderRule rule{KeyReading::IntegerText, {QStringLiteral("0x999999")}, TieRule::TakeLater};
    std::size_t sink = 0;
    const double reference = medianMs(runs, [&] {
        std::vector<std::int32_t> copy = raw;
        std::stable_sort(copy.begin(), copy.end());
        sink += std::size_t(copy[0]);
    });
    const double parsed = medianMs(runs, [&] {
        sink += std::size_t(RepeatedMinimumOrder(keys, bound, TieRule::TakeLater)[0]);
    });
    const double fromTexts = medianMs(runs, [&] { sink += OrderEntries(texts, rule)->size(); });
    std::printf("ordering %d random keys, median of %d runs\n", n, runs);
    report("std::stable_sort of the keys (reference)", reference, reference);
    report("repeated-minimum order, keys parsed", parsed, reference);
    report("repeated-minimum order from texts (parsing in)", fromTexts, reference);
    return sink == 0 ? 1 : 0;
}

// `rows` random rows per direction of one of the editors' own tables; the store PDO table gets
// a PDO table of 100 PDOs per side beside it.
int ownTable(const QString& name, const QString& dir, int rows) {
    QRandomGenerator random(11);
    const auto hex = [&](int below) {
        return QStringLiteral("0x%1").arg(random.bounded(below), 4, 16, QLatin1Char('0'));
    };
    QStringList attributes;
    std::vector<QStringList> out;
    for (int side = 0; side < 2; ++side)
        for (int r = 0; r < rows; ++r) {
            QStringList v;
            if (name == kStorePdoTable) {
                v << hex(0x10000) << hex(0x100)
                  << QString::number(1 + random.bounded(100) + 128 * side)
                  << QString::number(random.bounded(256));
            } else if (name == kEmcyTable) {
                v << QString::number(random.bounded(999999));
                for (int f = 1; f < kEmcyTextFields; ++f)
                    v << hex(0x10000);
                v << QString::number(random.bounded(18) + 32 * side);
            } else {
                v << hex(0x10000) << hex(0x100) << QString::number(side)
                  << QString::number(random.bounded(128));
                for (int n = 0; n < 3 * kWordBits; ++n)
                    v << QString::number(random.bounded(256));
            }
            out.push_back(v);
        }
    if (name == kStorePdoTable) {
        attributes = {QStringLiteral("index"), QStringLiteral("subindex"), QStringLiteral("nrpdo"),
                      QStringLiteral("poscomp")};
        std::vector<QStringList> pdos;
        for (int i = 0; i < 200; ++i)
            pdos.push_back({QStringLiteral("0x%1").arg(0x181 + i, 0, 16), QStringLiteral("1"),
                            i < 100 ? QStringLiteral("0") : QStringLiteral("2"),
                            QStringLiteral("0"), QStringLiteral("0")});
        if (!WriteTableFile(TableFilePath(dir, kPdoTable), kPdoTable, PdoTableSchema().attributes,
                            pdos) ||
            !WriteTableFile(TableFilePath(dir, kSdoTable), kSdoTable, SdoTableSchema().attributes,
                            {}))
            return 1;
    } else {
        attributes = name == kEmcyTable ? EmcyAttributes() : EmcyWordAttributes();
    }
    std::shuffle(out.begin(), out.end(), std::mt19937(2));
    Result<> written = WriteTableFile(TableFilePath(dir, name), name, attributes, out);
    if (!written)
        std::fprintf(stderr, "%s\n", qPrintable(written.error()));
    return written ? 0 : 1;
}

int table(const QString& name, const QString& dir, int rows) {
    if (name != kSdoTable && name != kPdoTable)
        return ownTable(name, dir, rows);
    const GridTableSchema& schema = name == kSdoTable ? SdoTableSchema() : PdoTableSchema();
    QRandomGenerator random(7);
    std::vector<QStringList> out;
    for (int side = 0; side < 2; ++side)
        for (int r = 0; r < rows; ++r) {
            QStringList values;
            for (int a = 0; a < schema.attributes.size(); ++a)
                values << QStringLiteral("0x%1").arg(random.bounded(0x10000), 4, 16,
                                                     QLatin1Char('0'));
            values[schema.flagColumn - 1] = schema.fileCode.text(side, QStringLiteral("1"));
            out.push_back(values);
        }
    std::shuffle(out.begin(), out.end(), std::mt19937(1));
    Result<> written = WriteTableFile(TableFilePath(dir, name), name, schema.attributes, out);
    if (!written)
        std::fprintf(stderr, "%s\n", qPrintable(written.error()));
    return written ? 0 : 1;
}

int show(int runs) {
    QTemporaryDir dir;
    if (table(kSdoTable, dir.path(), 1500) != 0)
        return 1;
    Workspace ws;
    ws.ProjectFolder = dir.path();
    RecordingPrompter prompter;
    const double reference = medianMs(runs, [&] {
        QStandardItemModel model(1500, 9);
        for (int r = 0; r < 1500; ++r)
            for (int c = 0; c < 9; ++c)
                model.setItem(r, c, new QStandardItem(QStringLiteral("0x%1").arg(r * 9 + c)));
        QTableView view;
        view.setModel(&model);
        view.resize(900, 560);
        view.show();
        QCoreApplication::processEvents();
        view.grab();
    });
    const double dialog = medianMs(runs, [&] {
        TFsdo d(ws, prompter);
        d.show();
        QCoreApplication::processEvents();
        d.grab();
    });
    const double load = medianMs(runs, [&] {
        GridTable t(SdoTableSchema());
        t.Show(ws.ProjectFolder, prompter);
    });
    std::printf("TFsdo shown with 2 x 1500 rows, median of %d runs\n", runs);
    report("bare QTableView, 1500 x 9 items (reference)", reference, reference);
    report("TFsdo: load sdo.xml, both grids, shown", dialog, reference);
    report("  of which the load of sdo.xml", load, reference);
    report("  the dialog without the load", dialog - load, reference);
    return 0;
}

int wemcy(int runs) {
    QTemporaryDir dir;
    if (ownTable(kEmcyWordTable, dir.path(), 1000) != 0)
        return 1;
    Workspace ws;
    ws.ProjectFolder = dir.path();
    RecordingPrompter prompter;
    const double reference = medianMs(runs, [&] {
        QStandardItemModel model;
        const QIcon icon(QPixmap(16, 16));
        for (int w = 0; w < 2000; ++w) {
            auto* word = new QStandardItem(icon, QStringLiteral("W%1").arg(w));
            for (int b = 0; b < kWordBits; ++b)
                word->appendRow(new QStandardItem(icon, QStringLiteral("Bit%1").arg(b)));
            model.appendRow(word);
        }
        QTreeView view;
        view.setModel(&model);
        view.resize(760, 520);
        view.show();
        QCoreApplication::processEvents();
        view.grab();
    });
    const double dialog = medianMs(runs, [&] {
        TFWemcy d(ws, prompter);
        d.show();
        QCoreApplication::processEvents();
        d.grab();
    });
    const double load = medianMs(runs, [&] {
        EmcyWordTable t;
        t.Show(ws.ProjectFolder, prompter);
    });
    std::printf("TFWemcy shown with 2 x 1000 words (34 000 nodes), median of %d runs\n", runs);
    report("bare QTreeView, 34 000 items (reference)", reference, reference);
    report("TFWemcy: load emcyword.xml, both trees, shown", dialog, reference);
    report("  of which the load of emcyword.xml", load, reference);
    report("  the dialog without the load", dialog - load, reference);
    return 0;
}

} // namespace

int main(int argc, char** argv) {
    const QString mode = argc > 1 ? QString::fromLocal8Bit(argv[1]) : QString();
    if (mode == QLatin1String("order") && argc == 4) {
        QCoreApplication app(argc, argv);
        return order(std::atoi(argv[2]), std::atoi(argv[3]));
    }
    if (mode == QLatin1String("table") && argc == 5) {
        QCoreApplication app(argc, argv);
        return table(QString::fromLocal8Bit(argv[2]), QString::fromLocal8Bit(argv[3]),
                     std::atoi(argv[4]));
    }
    if (mode == QLatin1String("show") && argc == 3) {
        QApplication app(argc, argv);
        return show(std::atoi(argv[2]));
    }
    if (mode == QLatin1String("wemcy") && argc == 3) {
        QApplication app(argc, argv);
        return wemcy(std::atoi(argv[2]));
    }
    std::fprintf(stderr, "usage: quenzor-bench-tables order N RUNS | table NAME DIR ROWS | "
                         "show RUNS | wemcy RUNS\n");
    return 2;
}
