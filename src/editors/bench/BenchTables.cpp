// quenzor-bench-tables: the measurements of scripts/bench-tables.sh that run inside one
// process, each against its reference in the same run.
//   order N RUNS         repeated-minimum ordering of N random keys against std::stable_sort
//   table NAME DIR ROWS  writes DIR/NAME.xml with ROWS rows per direction, in random order
//   show RUNS            TFsdo shown with both grids full against a bare QTableView
#include "common/RecordingPrompter.h"
#include "editors/PdoTable.h"
#include "editors/RepeatedMinimum.h"
#include "editors/SdoTable.h"
#include "editors/TFGridTable.h"
#include "editors/TableFile.h"
#include "editors/TableFiles.h"
#include "project/Workspace.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QRandomGenerator>
#include <QStandardItemModel>
#include <QTableView>
#include <QTemporaryDir>

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

int table(const QString& name, const QString& dir, int rows) {
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
    report("  of which the load of sdo.xml (DOM)", load, reference);
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
    std::fprintf(stderr, "usage: quenzor-bench-tables order N RUNS | table NAME DIR ROWS | "
                         "show RUNS\n");
    return 2;
}
