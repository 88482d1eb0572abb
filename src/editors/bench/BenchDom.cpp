// quenzor-bench-dom IN OUT: QDomDocument reads IN and writes it to OUT, nothing more.
#include <QCoreApplication>
#include <QDomDocument>
#include <QFile>

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    if (argc != 3)
        return 2;
    QFile in(QString::fromLocal8Bit(argv[1]));
    QDomDocument doc;
    if (!in.open(QIODevice::ReadOnly) || !doc.setContent(&in))
        return 1;
    QFile out(QString::fromLocal8Bit(argv[2]));
    if (!out.open(QIODevice::WriteOnly | QIODevice::Truncate))
        return 1;
    const QByteArray bytes = doc.toByteArray(-1);
    return out.write(bytes) == bytes.size() ? 0 : 1;
}
