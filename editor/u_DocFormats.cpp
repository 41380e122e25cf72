#include "u_DocFormats.h"

#include "u_ByteOut.h"
#include "u_ByteScan.h"
#include "u_Errors.h"
#include "u_HPNibs.h"
#include "u_LargePages.h"
#include "u_ResourceStrings.h"
#include "u_TGrob.h"

#include <array>
#include <cstring>
#include <memory>
#include <optional>

const char TgvTailHP48[TgvTailLength] = {'\x2B', '\x31', '\x20', '\xE9', '\x02', '\x4D', '\x01',
                                         '\x00', '\xD8', '\xFB', '\xB1', '\x12', '\x03'};
const char TgvTailHP49[TgvTailLength] = {'\x2B', '\x31', '\x20', '\xE9', '\x02', '\x4D', '\x01',
                                         '\x00', '\x3B', '\xDC', '\xB3', '\x12', '\x03'};

namespace {
[[noreturn]] void LoadingFailed(TResId Reason)
{
    throw EErrorLoading(ResString(TResId::sErrorWhileLoadingFile), ResString(Reason));
}

inline const uint8_t *Bytes(QByteArrayView Data)
{
    return reinterpret_cast<const uint8_t *>(Data.data());
}

// Which codes a kind keeps, as a table for the writers' inner loops.
std::array<bool, 256> AllowedTable(TEditor Kind)
{
    std::array<bool, 256> t{};
    for (int c = 0; c < 256; ++c)
        t[size_t(c)] = IsCharAllowed(uint8_t(c), Kind);
    return t;
}

// The text-form style codes that turn attribute P into A, in the kind's column order.
void AppendTextStyleCodes(TByteOut &Out, TEditor Kind, uint8_t P, uint8_t A)
{
    const uint8_t d = P ^ A;
    switch (Kind) {
    case TEditor::Xview:
    case TEditor::Eden: {
        const auto code = [&](char C) {
            Out.Append(char(XViewEscape));
            Out.Append(C);
        };
        if (d & stReverse)
            code('I');
        if (d & stBold)
            code('B');
        if (d & stUnderline)
            code('U');
        if (Kind == TEditor::Eden && (d & stItalic))
            code('/');
        break;
    }
    case TEditor::Hp49: {
        const auto code = [&](char C) {
            Out.Append(char(Hp49Escape));
            Out.Append(C);
            Out.Append(char(Hp49Escape));
        };
        if (d & stReverse)
            code(4);
        if (d & stBold)
            code(1);
        if (d & stUnderline)
            code(3);
        if (d & stItalic)
            code(2);
        break;
    }
    case TEditor::Tgv:
    case TEditor::Standard:
        break;
    }
}
} // namespace

QByteArray TrimCalc(QByteArrayView Text)
{
    qsizetype from = 0, to = Text.size();
    while (from < to && uint8_t(Text[from]) <= 32)
        ++from;
    while (to > from && uint8_t(Text[to - 1]) <= 32)
        --to;
    return Text.sliced(from, to - from).toByteArray();
}

// ---------------------------------------------------------------- Readers

void ReadPlain(QByteArrayView Data, TReadDocument &Doc)
{
    Doc.Text.Resize(Data.size());
    char *text = Doc.Text.Data();
    qsizetype k = 0;
    for (const char c : Data) {
        text[k] = c;
        k += uint8_t(c) != CharReturn;
    }
    Doc.Text.Resize(k);
    Doc.Attrs.Clear();
}

namespace {
// Reads the characters of a calculator string, from byte I of Data up to the end or, in a
// transfer text, up to the closing double quote, turning the kind's style codes into attributes.
// Returns the position of that closing quote, or -1 when the data ended first.
qsizetype ReadStringBody(QByteArrayView Data, qsizetype I, bool Hp49, bool EndsAtQuote, TReadDocument &Doc)
{
    const uint8_t *p = Bytes(Data);
    const qsizetype n = Data.size();
    qsizetype i = I;

    // The string can only shrink: the output never outgrows what is left of the input.
    Doc.Text.Resize(n - i);
    char *text = Doc.Text.Data();
    qsizetype k = 0;
    uint8_t attr = 0, used = 0;
    // Attributes are stored from the first style code on: a plain document needs none, and a
    // large one would otherwise carry a second copy of its size in zeros.
    Doc.Attrs.Clear();
    char *attrs = nullptr;
    const qsizetype room = n - i;
    const auto toggle = [&](uint8_t Style) {
        ToggleStyleBit(attr, Style);
        used |= attr;
        if (!attrs) {
            Doc.Attrs.Resize(room);
            attrs = Doc.Attrs.Data();
            std::memset(attrs, 0, size_t(k));
        }
    };
    bool escape = false;
    bool closed = false;
    // The bytes that end a run of plain characters; the runs between them are copied whole. A
    // string object holds its length; there a double quote is a character like any other.
    TByteSet codes;
    codes.Equal = {CharReturn, Hp49 ? Hp49Escape : XViewEscape, Hp49 ? CharReturn : CharLineFeed,
                   EndsAtQuote ? CharQuote : CharReturn};
    const TByteFinder special(codes);
    for (; i < n; ++i) {
        if (!escape) {
            const qsizetype j = special.Find(p, i, n);
            if (j > i) {
                // The text may be written over the data itself, never ahead of what was read.
                std::memmove(text + k, p + i, size_t(j - i));
                if (attrs)
                    std::memset(attrs + k, attr, size_t(j - i));
                k += j - i;
                i = j;
                if (i == n)
                    break;
            }
        }
        const uint8_t b = p[i];
        if (b == CharQuote && EndsAtQuote) {
            closed = true;
            break;
        }
        if (Hp49) {
            // Codes stand between two escape bytes, several at a time; lines keep their style.
            if (b == Hp49Escape) {
                escape = !escape;
            } else if (!escape) {
                if (b != CharReturn) {
                    if (attrs)
                        attrs[k] = char(attr);
                    text[k++] = char(b);
                }
            } else if (b >= 1 && b <= 4) {
                static constexpr uint8_t styles[5] = {0, stBold, stItalic, stUnderline, stReverse};
                toggle(styles[b]);
            }
            continue;
        }
        if (b == XViewEscape) {
            escape = true;
        } else if (escape) {
            switch (b) {
            case 'I': toggle(stReverse); break;
            case 'B': toggle(stBold); break;
            case 'U': toggle(stUnderline); break;
            case '/': toggle(stItalic); break;
            default: break;
            }
            escape = false;
        } else {
            // XView and Eden start every line plain.
            if (b == CharLineFeed)
                attr = 0;
            if (b != CharReturn) {
                if (attrs)
                    attrs[k] = char(attr);
                text[k++] = char(b);
            }
        }
    }
    Doc.Text.Resize(k);
    if (attrs)
        Doc.Attrs.Resize(k);
    Doc.StylesUsed = used;
    return closed ? i : -1;
}
} // namespace

void ReadTextForm(QByteArrayView Data, bool Hp49, TReadDocument &Doc)
{
    const uint8_t *p = Bytes(Data);
    const qsizetype n = Data.size();
    const void *quote = n ? std::memchr(p, CharQuote, size_t(n)) : nullptr;
    const qsizetype start = quote ? static_cast<const uint8_t *>(quote) - p + 1 : n;
    const qsizetype end = ReadStringBody(Data, start, Hp49, true, Doc);

    Doc.ExecuteWith.clear();
    if (!Hp49 && end >= 0) {
        // The command after the string, up to the closing program bracket.
        const qsizetype from = end + 1;
        const void *close = std::memchr(p + from, ProgramClose, size_t(n - from));
        const qsizetype to = close ? static_cast<const uint8_t *>(close) - p : n;
        Doc.ExecuteWith = QString::fromLatin1(TrimCalc(Data.sliced(from, to - from)));
    }
}

bool HasCalcHeader(QByteArrayView Data)
{
    return Data.startsWith("HPHP48-") || Data.startsWith("HPHP49-");
}

namespace {
bool StringPrologAt(QByteArrayView Data, qsizetype Offset)
{
    if (Data.size() <= Offset || !HasCalcHeader(Data))
        return false;
    TNibbleReader r(Data);
    r.SeekByte(Offset);
    return r.Holds(5) && r.Number5() == PrologString;
}
} // namespace

bool IsCalcStringFile(QByteArrayView Data)
{
    // A prolog cut short cannot be told from other data: such a file stays plain text.
    return StringPrologAt(Data, HeaderLength);
}

void ReadCalcString(QByteArrayView Data, bool Hp49, TReadDocument &Doc)
{
    TNibbleReader r(Data);
    r.SeekByte(HeaderLength);
    if (!r.Holds(5) || r.Number5() != PrologString)
        LoadingFailed(TResId::sFileNotCalcObject);
    if (!r.Holds(5))
        LoadingFailed(TResId::sFileEndsEarly);
    // The length counts its own five nibbles and the characters' two each: an even length would
    // end in the middle of a character.
    const int32_t length = r.Number5();
    if (length < 5 || length % 2 == 0)
        LoadingFailed(TResId::sFileNotCalcObject);
    const QByteArrayView body = r.Bytes((length - 5) / 2);
    if (r.Short())
        LoadingFailed(TResId::sFileLengthPastEnd);
    // Whatever follows the string is not read: transfers that work in blocks pad the last one.
    ReadStringBody(body, 0, Hp49, false, Doc);
    Doc.ExecuteWith.clear();
}

bool IsTgvFile(QByteArrayView Data)
{
    return Data.size() >= TgvStringOffset && HasCalcHeader(Data);
}

bool HoldsTgvString(QByteArrayView Data)
{
    return StringPrologAt(Data, TgvStringOffset);
}

void ReadTgv(QByteArrayView Data, TReadDocument &Doc)
{
    TNibbleReader r(Data);
    // The program and list prologs before the string are not checked.
    r.SeekByte(TgvStringOffset);
    if (!r.Holds(5))
        LoadingFailed(TResId::sFileEndsEarly);
    if (r.Number5() != PrologString)
        return;
    if (!r.Holds(5))
        LoadingFailed(TResId::sFileEndsEarly);
    const int32_t length = r.Number5();
    if (length < 5)
        LoadingFailed(TResId::sFileNotCalcObject);
    const qsizetype bodySize = (length - 5) / 2;
    const QByteArrayView body = r.Bytes(bodySize);
    if (r.Short())
        LoadingFailed(TResId::sFileLengthPastEnd);

    // The grobs after the string, up to the first object that is not one (the viewer call).
    std::vector<std::unique_ptr<TGrob>> grobs;
    while (r.Holds(5) && r.PeekNumber5() == PrologGrob) {
        r.SkipNibbles(5);
        // Length, height and width must be there before the grob is read.
        if (!r.Holds(15))
            LoadingFailed(TResId::sFileEndsEarly);
        const qint64 held = (qint64(r.PeekNumber5()) + 5) / 2 - 10;
        auto grob = std::make_unique<TGrob>();
        grob->ReadFrom(r);
        // The rows must lie inside the grob, and the grob inside the file.
        if (held < qint64(grob->FHeight) * grob->BytesPerRow() || r.Short())
            LoadingFailed(TResId::sFileLengthPastEnd);
        grobs.push_back(std::move(grob));
    }
    Doc.Bitmaps.assign(grobs.size(), QImage());

    // The walk over the body: three pending flags, the byte's position counted from 1.
    const uint8_t *b = Bytes(body);
    Doc.Text.Resize(bodySize);
    Doc.Attrs.Resize(bodySize);
    char *text = Doc.Text.Data();
    char *attrs = Doc.Attrs.Data();
    qsizetype k = 0;
    uint8_t attr = 0;
    bool escape = false, picture = false, menu = false;
    for (qsizetype i = 1; i <= bodySize; ++i) {
        const uint8_t c = b[i - 1];
        if (c == 1 && !picture) {
            escape = true;
        } else if (c == 2 && !picture) {
            picture = true;
        } else if (c == 3 && i == 1) {
            menu = true;
        } else if (c == 4 && (i == 1 || (i == 3 && b[0] == 3))) {
            Doc.MenuWhenStarted = true;
        } else if (escape) {
            switch (c) {
            case '1': case '2': case '3': case '4': SetFontBits(attr, c - '1'); break;
            case 'V': ToggleStyleBit(attr, stReverse); break;
            case 'U': ToggleStyleBit(attr, stUnderline); break;
            case 'B': ToggleStyleBit(attr, stBold); break;
            case '/': ToggleStyleBit(attr, stItalic); break;
            case '|': ToggleStyleBit(attr, stBackslant); break;
            default: break;
            }
            escape = false;
        } else if (picture) {
            const int entry = int(c) - 1;
            if (entry < 0 || entry >= int(grobs.size()))
                LoadingFailed(TResId::sFilePictureMissing);
            QImage &bitmap = Doc.Bitmaps[size_t(entry)];
            if (bitmap.isNull()) {
                bitmap = grobs[size_t(entry)]->ToBitmap();
                if (bitmap.isNull())
                    LoadingFailed(TResId::sFilePictureUnreadable);
            }
            Doc.Pictures.push_back({k, entry});
            picture = false;
        } else if (menu) {
            Doc.MenuChar = c;
            menu = false;
        } else {
            if (c == CharLineFeed)
                attr = 0;
            text[k] = char(c);
            attrs[k++] = char(attr);
        }
    }
    Doc.Text.Resize(k);
    Doc.Attrs.Resize(k);
}

// ---------------------------------------------------------------- Writers

void WriteTextForm(const TDocLines &Lines, TEditor Kind, QByteArrayView ExecuteWith, TByteOut &Out)
{
    const QByteArray e = TrimCalc(ExecuteWith);
    const std::array<bool, 256> allowed = AllowedTable(Kind);
    Out.Append(TextFormPrefix);
    if (!e.isEmpty())
        Out.Append(char(ProgramOpen));
    Out.Append("\r\n\"");

    const std::optional<TByteSet> refusedSet = RefusedCharacters(Kind);
    const std::optional<TByteFinder> refused = refusedSet ? std::optional(TByteFinder(*refusedSet)) : std::nullopt;
    uint8_t p = 0;
    const qsizetype count = Lines.Count();
    for (qsizetype i = 0; i < count; ++i) {
        const TDocLine line = Lines.At(i);
        if (line.Picture) {
            // A picture reads as attribute 0 and is never written.
            AppendTextStyleCodes(Out, Kind, p, 0);
            p = 0;
        } else {
            const auto *c = Bytes(line.Chars);
            const auto *a = Bytes(line.Attrs);
            const qsizetype n = line.Chars.size();
            if (p == 0 && refused && OrOfBytes(a, n) == 0) {
                // Plain text after plain text, most of any document: only refused characters
                // break it up.
                for (qsizetype j = 0; j < n;) {
                    const qsizetype k = refused->Find(c, j, n);
                    Out.Append(QByteArrayView(c + j, k - j));
                    j = k + 1;
                }
            } else {
                for (qsizetype j = 0; j < n;) {
                    if (a[j] != p) {
                        AppendTextStyleCodes(Out, Kind, p, a[j]);
                        p = a[j];
                    }
                    if (!allowed[c[j]]) {
                        ++j;
                        continue;
                    }
                    // The run of characters that need no code goes out in one piece.
                    qsizetype k = j + 1;
                    while (k < n && a[k] == p && allowed[c[k]])
                        ++k;
                    Out.Append(QByteArrayView(c + j, k - j));
                    j = k;
                }
            }
        }
        if (i + 1 == count)
            break;
        // XView closes reverse and underline at every line end, Eden reverse; both start the
        // next line plain. The HP49 carries its styles over.
        if (Kind == TEditor::Xview || Kind == TEditor::Eden) {
            if (p & stReverse) {
                Out.Append(char(XViewEscape));
                Out.Append('I');
            }
            if (Kind == TEditor::Xview && (p & stUnderline)) {
                Out.Append(char(XViewEscape));
                Out.Append('U');
            }
            p = 0;
        }
        Out.Append("\r\n");
    }
    Out.Append(char(CharQuote));
    if (!e.isEmpty()) {
        Out.Append(e);
        Out.Append(char(ProgramClose));
    }
}

QByteArray WriteTextForm(const TDocLines &Lines, TEditor Kind, QByteArrayView ExecuteWith)
{
    qsizetype estimate = 32 + ExecuteWith.size();
    const qsizetype count = Lines.Count();
    for (qsizetype i = 0; i < count; ++i)
        estimate += Lines.At(i).Chars.size() + 4;
    TByteOut out(estimate + estimate / 8);
    WriteTextForm(Lines, Kind, ExecuteWith, out);
    return out.Take();
}

QByteArray WriteTgvBody(const TDocLines &Lines, uint8_t MenuChar, bool MenuWhenStarted)
{
    const std::array<bool, 256> allowed = AllowedTable(TEditor::Tgv);
    qsizetype estimate = 2;
    const qsizetype count = Lines.Count();
    for (qsizetype i = 0; i < count; ++i)
        estimate += Lines.At(i).Chars.size() + 1;
    QByteArray out;
    out.reserve(estimate + estimate / 8);
    AdviseLargePages(out.constData(), size_t(out.capacity()));
    if (MenuChar != 42)
        out.append(char(3)).append(char(MenuChar));
    if (MenuWhenStarted)
        out.append(char(4));

    uint8_t p = 0;
    for (qsizetype i = 0; i < count; ++i) {
        const TDocLine line = Lines.At(i);
        if (line.Picture) {
            out.append(char(2)).append(char(line.Picture));
        } else {
            const auto *c = Bytes(line.Chars);
            const auto *a = Bytes(line.Attrs);
            const qsizetype n = line.Chars.size();
            for (qsizetype j = 0; j < n;) {
                const uint8_t at = a[j];
                if (at != p) {
                    const uint8_t d = p ^ at;
                    if (FontIndex(at) != FontIndex(p))
                        out.append(char(1)).append(char('1' + FontIndex(at)));
                    if (d & stReverse)
                        out.append(char(1)).append('V');
                    if (d & stUnderline)
                        out.append(char(1)).append('U');
                    if (d & stBold)
                        out.append(char(1)).append('B');
                    // Setting one slant clears the other in the reader, so a direct switch
                    // between the two takes one code.
                    if ((d & stItalic) && (d & stBackslant)) {
                        out.append(char(1)).append(at & stItalic ? '/' : '|');
                    } else {
                        if (d & stItalic)
                            out.append(char(1)).append('/');
                        if (d & stBackslant)
                            out.append(char(1)).append('|');
                    }
                    p = at;
                }
                if (!allowed[c[j]]) {
                    ++j;
                    continue;
                }
                qsizetype k = j + 1;
                while (k < n && a[k] == p && allowed[c[k]])
                    ++k;
                out.append(reinterpret_cast<const char *>(c + j), k - j);
                j = k;
            }
        }
        if (i + 1 < count) {
            p = 0;
            out.append(char(CharLineFeed));
        }
    }
    return out;
}

QByteArray WriteTgvFile(QByteArrayView Body, const std::vector<QByteArray> &Grobs, bool Hp49)
{
    if (Body.size() > TgvMaxBody)
        throw ETooLargeToSave(ResString(TResId::sTgvTooLarge));
    qsizetype total = TgvBodyOffset + Body.size() + TgvTailLength;
    for (const QByteArray &g : Grobs)
        total += g.size();
    QByteArray out;
    out.reserve(total);
    AdviseLargePages(out.constData(), size_t(out.capacity()));
    out.append(Hp49 ? HeaderHP49 : HeaderHP48, HeaderLength);
    TNibbleWriter head;
    head.Number5(PrologProgram);
    head.Number5(PrologList);
    head.Number5(PrologString);
    head.Number5(int32_t(2 * Body.size() + 5));
    out.append(head.Data());
    out.append(Body);
    for (const QByteArray &g : Grobs)
        out.append(g);
    out.append(Hp49 ? TgvTailHP49 : TgvTailHP48, TgvTailLength);
    return out;
}

QByteArray GrobObject(const QImage &Bitmap)
{
    const qint64 rows = qint64(Bitmap.height()) * ((Bitmap.width() + 7) / 8);
    if (rows > TgvMaxGrobRows)
        throw ETooLargeToSave(ResString(TResId::sTgvTooLarge));
    if (!IsCalcBitmap(Bitmap)) {
        TGrob grob;
        grob.AssignBitmap(Bitmap);
        return grob.FileBytes().mid(HeaderLength);
    }
    // A calculator bitmap's rows are the grob's rows.
    const int b = (Bitmap.width() + 7) / 8;
    TNibbleWriter out;
    out.Reserve(10 + rows);
    out.Number5(PrologGrob);
    out.Number5(int32_t(2 * rows + 15));
    out.Number5(Bitmap.height());
    out.Number5(Bitmap.width());
    for (int y = 0; y < Bitmap.height(); ++y)
        out.Bytes(QByteArrayView(Bitmap.constScanLine(y), b));
    return out.Take();
}
