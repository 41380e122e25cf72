// A file written in pieces holds the same bytes as one written whole, and a save that fails while
// the pieces are made leaves the file on disk as it was.
#include "u_ByteOut.h"
#include "u_Errors.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>
#include <cstring>
#include <csignal>
#include <stdexcept>
#include <sys/resource.h>

class TestByteOut : public QObject {
    Q_OBJECT

    // Small appends, single bytes, and one append larger than a piece.
    static void Fill(TByteOut &Out)
    {
        for (int i = 0; i < 300000; ++i)
            Out.Append(QByteArrayView("line of text\r\n"));
        Out.Append('"');
        Out.Append(QByteArray(3 << 20, 'x'));
        Out.Append('!');
    }

private slots:
    void piecesMakeTheSameBytes()
    {
        TByteOut kept(16);
        Fill(kept);
        QCOMPARE(kept.Finish(), qint64(300000 * 14 + 2 + (3 << 20)));
        const QByteArray whole = kept.Take();

        QByteArray joined;
        int pieces = 0;
        TByteOut handed([&](QByteArrayView Piece) {
            joined.append(Piece);
            ++pieces;
        });
        Fill(handed);
        QCOMPARE(handed.Finish(), qint64(whole.size()));
        QCOMPARE(joined, whole);
        QVERIFY(pieces > 3);
    }

    void failureWhileProducingKeepsTheFile()
    {
        QTemporaryDir dir;
        const QString path = dir.filePath("doc.xv");
        SaveFileWhole(path, QByteArray("old"));
        QVERIFY_THROWS_EXCEPTION(std::runtime_error, SaveFileWhole(path, [](const TBytePut &Put) {
                                     Put("new and longer");
                                     throw std::runtime_error("out of memory half-way");
                                 }));
        // Nor does a full disk, stood in for by a limit on the size of the files this process writes.
        ::signal(SIGXFSZ, SIG_IGN);
        rlimit old{};
        ::getrlimit(RLIMIT_FSIZE, &old);
        const rlimit tight{4, old.rlim_max};
        ::setrlimit(RLIMIT_FSIZE, &tight);
        QString reason;
        try {
            SaveFileWhole(path, QByteArray("a small new text"));
        } catch (const EErrorSaving &e) {
            reason = e.Reason();
        }
        ::setrlimit(RLIMIT_FSIZE, &old);
        // The disk filled part-way through the write: the user still learns why.
        QCOMPARE(reason, CannotWriteReason(QString::fromLocal8Bit(std::strerror(EFBIG))));
        QFile file(path);
        QVERIFY(file.open(QIODevice::ReadOnly));
        QCOMPARE(file.readAll(), QByteArray("old"));
        QCOMPARE(QDir(dir.path()).entryList(QDir::Files), QStringList{"doc.xv"});
    }
};

QTEST_APPLESS_MAIN(TestByteOut)
#include "tst_byteout.moc"
