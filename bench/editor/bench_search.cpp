// Search figures: looking for a word that is not there in 10 MB of text (the whole document is
// read), with and without case, and as a whole word; then finding a word near the end.
#include "u_THPDocument.h"
#include "u_TextSearch.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QTextStream>
#include <algorithm>
#include <vector>

namespace {
QTextStream Out(stdout);

TLineVector TenMegabytes()
{
    static const char *const Words[] = {"the", "calculator", "Shows", "TEXT", "in", "its", "own", "font", "with",
                                        "styles", "and", "pictures", "\x8d", "\x87r\xb2", "menu", "x=2"};
    TLineVector lines;
    qint64 total = 0;
    unsigned seed = 12345;
    while (total < 10'000'000) {
        QByteArray line;
        while (line.size() < 60) {
            seed = seed * 1103515245u + 12345u;
            if (!line.isEmpty())
                line += ' ';
            line += Words[(seed >> 16) % std::size(Words)];
        }
        total += line.size() + 1;
        lines.emplace_back(line, QByteArray(line.size(), char(seed & 0x0F)));
    }
    return lines;
}

double Median(std::vector<double> V)
{
    std::sort(V.begin(), V.end());
    return V[V.size() / 2];
}

void Search(const THPDocument &Doc, const char *What, const QByteArray &Pattern, TSearchOptions Options)
{
    const TTextSearch search(Pattern, Options);
    std::vector<double> ms;
    bool found = false;
    for (int run = 0; run < 9; ++run) {
        int line = 0, pos = 1;
        bool wrapped = false;
        QElapsedTimer t;
        t.start();
        found = search.FindIn(Doc, line, pos, false, wrapped);
        ms.push_back(t.nsecsElapsed() / 1e6);
    }
    Out << QString("search 10 MB for %1: median %2 ms (%3)\n").arg(What).arg(Median(ms), 0, 'f', 1).arg(found ? "found" : "not there");
    Out.flush();
}
} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    THPDocument doc(TEditor::Tgv);
    doc.Reset(TenMegabytes(), TPictureTable(), TFileIdentity());
    Out << QString("document: %1 lines\n").arg(doc.LineCount());
    Search(doc, "a missing word, case matched", "quillo", {true, false});
    Search(doc, "a missing word, any case", "Quillo", {false, false});
    Search(doc, "a missing whole word", "calc", {false, true});
    Search(doc, "a missing one-letter word", "q", {false, false});
    return 0;
}
