// The program's icons show in windows even where Qt cannot read SVG.
#include "u_QuilloIcons.h"

#include <QFile>
#include <QTest>

class TestIcons : public QObject {
    Q_OBJECT

private slots:
    void everyIconDrawsAndTheKindsDiffer()
    {
        QList<QImage> drawn;
        for (TQuilloIcon kind : {TQuilloIcon::Program, TQuilloIcon::XView, TQuilloIcon::Tgv, TQuilloIcon::Eden, TQuilloIcon::HP49}) {
            QVERIFY(QFile(QuilloIconPath(kind)).open(QIODevice::ReadOnly));
            const QImage image = QuilloIcon(kind).pixmap(64, 64).toImage();
            QCOMPARE(image.size(), QSize(64, 64));
            // Opaque in the middle, transparent in the corner outside the page.
            QCOMPARE(qAlpha(image.pixel(32, 40)), 255);
            drawn << image;
        }
        QCOMPARE(qAlpha(drawn[int(TQuilloIcon::Tgv)].pixel(1, 1)), 0);
        for (int i = 0; i < drawn.size(); ++i)
            for (int j = i + 1; j < drawn.size(); ++j)
                QVERIFY(drawn[i] != drawn[j]);
    }
};

QTEST_MAIN(TestIcons)
#include "tst_icons.moc"
