// The pictures rendered at build time are the drawings as this machine draws them now: a
// stale or broken build step shows here, not as a wrong picture in a dialog.
#include "info/ProductDrawing.h"
#include "pictures/RenderedPictures.h"
#include "ping/PingDrawing.h"

#include <QGuiApplication>
#include <QTest>

#include <functional>

class TestRenderedPictures : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void sameAsDrawn_data();
    void sameAsDrawn();
};

void TestRenderedPictures::sameAsDrawn_data() {
    QTest::addColumn<int>("which");
    QTest::addColumn<std::function<QImage()>>("draw");
    QTest::newRow("product") << int(RenderedPicture::Product)
                             << std::function<QImage()>(
                                    [] { return DrawProductPicture(kRenderedProductSize); });
    QTest::newRow("found") << int(RenderedPicture::DeviceFound)
                           << std::function<QImage()>(DrawDeviceFoundPicture);
    QTest::newRow("not found") << int(RenderedPicture::DeviceNotFound)
                               << std::function<QImage()>(DrawDeviceNotFoundPicture);
    QTest::newRow("error") << int(RenderedPicture::PingError)
                           << std::function<QImage()>(DrawPingErrorPicture);
}

void TestRenderedPictures::sameAsDrawn() {
    QFETCH(int, which);
    QFETCH(std::function<QImage()>, draw);
    const QImage rendered = RenderedPictureImage(RenderedPicture(which));
    const QImage drawn = draw();
    QCOMPARE(rendered.format(), QImage::Format_ARGB32_Premultiplied);
    QCOMPARE(rendered.size(), drawn.size());
    QVERIFY(rendered == drawn);
    // Not a blank: the drawing left both transparent and opaque pixels.
    QCOMPARE(rendered.pixelColor(0, rendered.height() - 1).alpha(), 0);
    QCOMPARE(rendered.pixelColor(rendered.width() / 2, rendered.height() / 2).alpha(), 255);
}

QTEST_MAIN(TestRenderedPictures)
#include "test_renderedpictures.moc"
