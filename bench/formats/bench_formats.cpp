// Load and save throughput of each document format for documents of about 1 MB and 10 MB: into a
// document alone (file, reader, lines, the document's one-step take; no widget), and through the
// editor as File > Open and File > Save run them. Then a TGV file that shows one picture on
// 200,000 lines, which only loads quickly when the picture table finds the picture by its hash.
//
// Text forms hold styled text; TGV files hold at most 512 KB of text (the limit of the string's
// length field), so their bulk is pictures: a 10 MB TGV file is mostly grobs.
#include "u_DocFormats.h"
#include "u_DocumentFiles.h"
#include "u_THPDocument.h"
#include "u_THPEdit2.h"
#include "u_utils.h"

#include <QApplication>
#include <QFile>
#include <QTemporaryDir>
#include <cstdio>
#include <ctime>
#include <functional>

namespace {
constexpr int Runs = 5;

// Lines of 60 characters, a bold word and a reverse word in every line.
void StyledText(qsizetype Bytes, QByteArray &Text, QByteArray &Attrs)
{
    Text.reserve(Bytes);
    Attrs.reserve(Bytes);
    qsizetype n = 0;
    while (Text.size() < Bytes) {
        for (int c = 0; c < 60; ++c) {
            Text += char('a' + (n + c) % 26);
            Attrs += char(c >= 10 && c < 16 ? stBold : c >= 30 && c < 36 ? stReverse : 0);
        }
        Text += '\n';
        Attrs += '\0';
        ++n;
    }
}

std::vector<TDocLine> Lines(const QByteArray &Text, const QByteArray &Attrs)
{
    std::vector<TDocLine> lines;
    qsizetype from = 0;
    while (from <= Text.size()) {
        qsizetype to = Text.indexOf('\n', from);
        if (to < 0)
            to = Text.size();
        lines.push_back({QByteArrayView(Text).sliced(from, to - from), QByteArrayView(Attrs).sliced(from, to - from), 0});
        from = to + 1;
    }
    return lines;
}

QByteArray TextFile(TEditor Kind, qsizetype Bytes)
{
    QByteArray text, attrs;
    StyledText(Bytes * 9 / 10, text, attrs);
    return WriteTextForm(TDocLineList(Lines(text, attrs)), Kind, Kind == TEditor::Hp49 ? "" : "XV");
}

// A TGV file of about Bytes: 400 KB of text (less for small files), then distinct pictures
// 256 pixels wide, each shown once between the paragraphs.
QByteArray TgvFile(qsizetype Bytes)
{
    QByteArray text, attrs;
    StyledText(std::min<qsizetype>(Bytes / 2, 400 * 1024), text, attrs);
    std::vector<TDocLine> lines = Lines(text, attrs);
    const qsizetype pictureBytes = Bytes - text.size();
    const int count = int(std::clamp<qsizetype>(pictureBytes / (40 * 1024), 1, 200));
    const int rows = int(pictureBytes / count / 32);
    std::vector<QByteArray> grobs;
    std::vector<TDocLine> withPictures;
    const size_t every = lines.size() / size_t(count) + 1;
    for (size_t i = 0; i < lines.size(); ++i) {
        withPictures.push_back(lines[i]);
        if (i % every == 0 && int(grobs.size()) < count) {
            QImage picture(256, rows, QImage::Format_RGB32);
            picture.fill(Qt::white);
            for (int y = 0; y < rows; ++y)
                for (int x = (y + int(grobs.size())) % 7; x < 256; x += 7)
                    picture.setPixel(x, y, 0xFF000000);
            // The first row tells the pictures apart, so none is shared.
            for (int x = 0; x < 256; ++x)
                picture.setPixel(x, 0, (grobs.size() >> (x % 8)) & 1 ? 0xFF000000 : 0xFFFFFFFF);
            grobs.push_back(GrobObject(picture));
            withPictures.push_back({QByteArrayView(), QByteArrayView(), int(grobs.size())});
        }
    }
    return WriteTgvFile(WriteTgvBody(TDocLineList(withPictures), 42, false), grobs, false);
}

// One small picture shown Count times in a row: two bytes of body each.
QByteArray ManyReferencesFile(int Count)
{
    QImage picture(16, 4, QImage::Format_RGB32);
    picture.fill(Qt::white);
    picture.setPixel(3, 1, 0xFF000000);
    QByteArray body;
    for (int i = 0; i < Count; ++i)
        body.append("\x02\x01", 2);
    return WriteTgvFile(body, {GrobObject(picture)}, false);
}

// The program's own processor time: on a busy machine the wall clock mostly measures the others.
double ThreadSeconds()
{
    timespec t{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &t);
    return double(t.tv_sec) + t.tv_nsec / 1e9;
}

double Best(const std::function<void()> &Run)
{
    double best = 1e9;
    for (int i = 0; i < Runs; ++i) {
        const double start = ThreadSeconds();
        Run();
        best = std::min(best, ThreadSeconds() - start);
    }
    return best;
}

void Report(const char *What, const char *Format, qint64 Bytes, double Seconds)
{
    std::printf("%-13s %-5s %5.1f MB  %7.4f s  %7.0f MB/s\n", What, Format, Bytes / 1e6, Seconds, Bytes / 1e6 / Seconds);
    std::fflush(stdout);
}
} // namespace

int main(int argc, char **argv)
{
    QApplication app(argc, argv);
    AppDir = QStringLiteral(QUILLO_BUILD_DIR);
    QTemporaryDir dir;
    struct TCase {
        const char *Name;
        const char *Ext;
        TEditor Kind;
    };
    const TCase cases[] = {{"XV", "xv", TEditor::Xview}, {"EDEN", "eden", TEditor::Eden},
                           {"HP49", "hp49", TEditor::Hp49}, {"TGV", "tgv", TEditor::Tgv}};
    std::printf("document load and save, processor time, best of %d runs\n", Runs);
    for (const qsizetype size : {qsizetype(1) << 20, qsizetype(10) << 20}) {
        for (const TCase &c : cases) {
            const QByteArray data = c.Kind == TEditor::Tgv ? TgvFile(size) : TextFile(c.Kind, size);
            const QString in = dir.filePath(QStringLiteral("in.") + c.Ext);
            const QString out = dir.filePath(QStringLiteral("out.") + c.Ext);
            QFile f(in);
            if (!f.open(QIODevice::WriteOnly) || f.write(data) != data.size())
                return 1;
            f.close();
            {
                THPDocument doc(c.Kind);
                Report("load document", c.Name, data.size(), Best([&] { LoadDocument(doc, in); }));
                qint64 written = 0;
                const double save = Best([&] {
                    written = c.Kind == TEditor::Tgv ? SaveTgvDocument(doc, out, false)
                                                     : SaveTextDocument(doc, out, c.Kind, QStringLiteral("XV"));
                });
                Report("save document", c.Name, written, save);
            }
            THPEdit2 ed(nullptr, c.Kind);
            ed.SetSubDirFont(QStringLiteral("fonts"));
            ed.NewDocument();
            const double load = Best([&] {
                if (c.Kind == TEditor::Tgv)
                    ed.LoadTgv(in);
                else
                    ed.LoadText(in, c.Kind);
            });
            Report("load editor", c.Name, data.size(), load);
            qint64 written = 0;
            const double save = Best([&] {
                written = c.Kind == TEditor::Tgv ? ed.SaveTgv(out, false) : ed.SaveText(out, c.Kind, ed.ExecuteWith());
            });
            Report("save editor", c.Name, written, save);
        }
    }

    const int references = 200000;
    const QByteArray many = ManyReferencesFile(references);
    const QString in = dir.filePath(QStringLiteral("many.tgv"));
    QFile f(in);
    if (!f.open(QIODevice::WriteOnly) || f.write(many) != many.size())
        return 1;
    f.close();
    THPDocument doc(TEditor::Tgv);
    const double load = Best([&] { LoadDocument(doc, in); });
    std::printf("one picture shown %d times, %.0f KB: load document %.4f s\n", references, many.size() / 1e3, load);
    THPEdit2 ed(nullptr, TEditor::Tgv);
    ed.SetSubDirFont(QStringLiteral("fonts"));
    ed.NewDocument();
    std::printf("one picture shown %d times, %.0f KB: load editor   %.4f s\n", references, many.size() / 1e3,
                Best([&] { ed.LoadTgv(in); }));
    return 0;
}
