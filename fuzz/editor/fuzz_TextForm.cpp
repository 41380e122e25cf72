// "%%HP:" text, calculator binary strings and plain files: the readers, then every writer over
// what they read.
#include "u_DocFormats.h"
#include "u_Errors.h"

#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *Data, size_t Size)
{
    const QByteArrayView data(Data, qsizetype(Size));
    const auto read = [&](QByteArrayView From, bool Hp49, TReadDocument &Doc) {
        if (IsCalcStringFile(From))
            ReadCalcString(From, Hp49, Doc);
        else
            ReadTextForm(From, Hp49, Doc);
    };
    for (const bool hp49 : {false, true}) {
        TReadDocument doc, inPlace;
        try {
            read(data, hp49, doc);
        } catch (const EErrorLoading &) {
            continue;
        }
        if ((!doc.Attrs.IsEmpty() && doc.Text.Size() != doc.Attrs.Size()) || doc.Text.Size() > data.size() || !doc.Pictures.empty())
            std::abort();
        // Read over its own bytes, the file gives the same document.
        inPlace.Text = TLargeBuffer(data);
        read(inPlace.Text.View(), hp49, inPlace);
        if (inPlace.Text.View() != doc.Text.View() || inPlace.Attrs.View() != doc.Attrs.View()
            || inPlace.ExecuteWith != doc.ExecuteWith)
            std::abort();
        if (doc.Attrs.IsEmpty())
            doc.Attrs = TLargeBuffer(QByteArray(doc.Text.Size(), '\0'));
        std::vector<TDocLine> lines;
        qsizetype from = 0;
        for (qsizetype i = 0; i <= doc.Text.Size(); ++i)
            if (i == doc.Text.Size() || doc.Text.Data()[i] == '\n') {
                lines.push_back({doc.Text.View().sliced(from, i - from), doc.Attrs.View().sliced(from, i - from), 0});
                from = i + 1;
            }
        for (const TEditor kind : {TEditor::Xview, TEditor::Eden, TEditor::Hp49, TEditor::Tgv})
            WriteTextForm(TDocLineList(lines), kind, doc.ExecuteWith.toLatin1());
        WriteTgvBody(TDocLineList(lines), doc.Text.IsEmpty() ? 42 : uint8_t(doc.Text.Data()[0]), hp49);
    }
    TReadDocument plain;
    ReadPlain(data, plain);
    if (plain.Text.View() != data.toByteArray().replace('\r', "") || !plain.Attrs.IsEmpty())
        std::abort();
    return 0;
}
