// The document model: lines, the picture table, the font slots and their glyph cache, the file
// identity, the notifications to the host and the position helpers.
#include "u_THPEdit2.h"

#include "u_Errors.h"
#include "u_ResourceStrings.h"
#include "u_utils.h"

#include <QApplication>
#include <QFileInfo>
#include <QMessageBox>
#include <QScrollBar>

const QString THPEdit2::ClipboardFormat = QStringLiteral("application/x-qt-windows-mime;value=\"HP48StyleFormat\"");

// ---- TPictureHP

TPictureHP::TPictureHP(const QImage &Source) : Bitmap(Source.convertToFormat(QImage::Format_RGB32)) {}

const QImage &TPictureHP::Zoomed() const
{
    if (FZoomed.isNull() && !Bitmap.isNull()) {
        const int w = Bitmap.width(), h = Bitmap.height();
        QImage z(w * 2, h * 2, QImage::Format_RGB32);
        for (int y = 0; y < h; ++y) {
            const QRgb *src = reinterpret_cast<const QRgb *>(Bitmap.constScanLine(y));
            QRgb *d0 = reinterpret_cast<QRgb *>(z.scanLine(2 * y));
            QRgb *d1 = reinterpret_cast<QRgb *>(z.scanLine(2 * y + 1));
            for (int x = 0; x < w; ++x) {
                const QRgb c = (src[x] & 0xFFFFFF) == 0xFFFFFF ? 0xFFFFFFFF : 0xFF000000;
                d0[2 * x] = d0[2 * x + 1] = d1[2 * x] = d1[2 * x + 1] = c;
            }
        }
        FZoomed = z;
    }
    return FZoomed;
}

// ---- Construction and reset

THPEdit2::THPEdit2(QWidget *Parent, TEditor Kind) : QAbstractScrollArea(Parent), FEditor(Kind)
{
    setFrameStyle(QFrame::Box | QFrame::Plain);
    setLineWidth(1);
    setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    viewport()->setCursor(Qt::IBeamCursor);
    viewport()->setAutoFillBackground(false);
    viewport()->setAttribute(Qt::WA_OpaquePaintEvent);
    setFocusPolicy(Qt::StrongFocus);
    setAttribute(Qt::WA_InputMethodEnabled, true);
    connect(verticalScrollBar(), &QScrollBar::actionTriggered, this, [this](int a) { VerticalAction(a); });
    FCaretTimer.setInterval(qMax(100, QApplication::cursorFlashTime() / 2));
    connect(&FCaretTimer, &QTimer::timeout, this, [this] { CaretBlink(); });
    FDragTimer.setInterval(50);
    connect(&FDragTimer, &QTimer::timeout, this, [this] {
        if (QApplication::mouseButtons() & Qt::LeftButton)
            DragTo(FDragPoint);
        else
            FDragTimer.stop();
    });
    Loaded();
}

void THPEdit2::Loaded()
{
    FHasFocus = false;
    FLeftMargin = 3;
    FTopMargin = 3;
    FPictures.fill(nullptr);
    ComputeViewSize();
    try {
        NewDocument();
    } catch (const EError &) {
        // The host sets its kind and fonts and calls NewDocument itself; that call reports a
        // missing font. Until then the empty slot draws blank cells.
    }
}

THPEdit2::~THPEdit2()
{
    for (int i = 0; i < FontSlotCount; ++i)
        ReleaseFont(i);
    ClearDocument();
}

void THPEdit2::NewDocument()
{
    // The document is reset even when a font is missing, so the editor always holds a line; the
    // font error is raised once the reset is complete.
    std::exception_ptr fontError;
    try {
        switch (FEditor) {
        case TEditor::Tgv:
            SetFonts(FDefaultFontTgvNormal, FDefaultFontTgvFont1, FDefaultFontTgvMini);
            break;
        case TEditor::Xview:
            SetFonts(FDefaultFontXView, QString(), QString());
            break;
        case TEditor::Eden:
            SetFonts(FDefaultFontEden, QString(), QString());
            break;
        case TEditor::Standard:
            SetFonts(FDefaultFontStandard, QString(), QString());
            break;
        case TEditor::Hp49:
            SetFonts(FDefaultFontHp49, QString(), QString());
            break;
        }
    } catch (const EError &) {
        fontError = std::current_exception();
    }
    ClearDocument();
    // The host always hears about the flag, even when it was already clear.
    FModified = true;
    SetModified(false);
    FFileSize = 0;
    FSelected = false;
    FExtendSelection = false;
    SetFileName(QString());
    FMenuChar = MenuCharNone;
    FMenuWhenStarted = false;
    FExecuteWith.clear();
    FScrollX = 0;
    FScrollY = 0;
    ComputeViewSize();
    SetCurrentAttr(0);
    AddFirstLine();
    RecomputeTops(0);
    UpdateVisibleLines();
    FCaretLine = FAnchorLine = 0;
    FCaretCol = FAnchorCol = 1;
    MoveCaretTo(0, 1, true);
    InvalidateAll();
    if (fontError)
        std::rethrow_exception(fontError);
}

void THPEdit2::AddFirstLine()
{
    auto line = std::make_unique<TALine>();
    line->Owner = this;
    FLines.insert(FLines.begin(), std::move(line));
}

void THPEdit2::ClearDocument()
{
    FLines.clear();
    FCurLine = nullptr;
    for (int k = 1; k <= PictureSlotCount; ++k) {
        // Every line that showed the picture is gone, so the table's references all go with them.
        if (TPictureHP *p = FPictures[size_t(k)]) {
            FPictures[size_t(k)] = nullptr;
            while (p->RefCount() > 1)
                TSharedObject::Release(p);
            TSharedObject::Release(p);
        }
    }
}

// ---- Fonts

void THPEdit2::SetFonts(const QString &Name0, const QString &Name1, const QString &Name2)
{
    InvalidateAll();
    std::exception_ptr firstError;
    const QString names[3] = {Name0, Name1, Name2};
    for (int i = 0; i < 3; ++i) {
        try {
            SetFont(i, names[i]);
        } catch (const EError &) {
            if (!firstError)
                firstError = std::current_exception();
        }
    }
    PostNotify(HPM_FONTSCHANGED, 0);
    if (firstError)
        std::rethrow_exception(firstError);
}

void THPEdit2::SetFont(int Index, const QString &Name)
{
    if (Index < 0 || Index >= FontSlotCount || Name == FFontNames[size_t(Index)])
        return;
    ReleaseFont(Index);
    if (Index == 2)
        ReleaseFont(3);
    if (Name.isEmpty())
        return;
    auto grob = TSharedRef<TGrob>::Adopt(new TGrob);
    // The slot stays empty until the file is read whole, so drawing never sees half a font.
    grob->LoadFromFile(AppDir + FSubDirFont + Name + QStringLiteral(".fnt"));
    FFontNames[size_t(Index)] = Name;
    FFonts[size_t(Index)] = grob.get();
    grob->AddRef();
    if (Index == 2) {
        FFontNames[3] = Name;
        FFonts[3] = grob.get();
        grob->AddRef();
    }
}

void THPEdit2::ReleaseFont(int Index)
{
    if (Index < 0 || Index >= FontSlotCount)
        return;
    // Drop the glyph tables of an empty slot as well: they are the blank stand-ins.
    ReleaseStyledFonts(Index);
    if (FFonts[size_t(Index)]) {
        TSharedObject::Release(FFonts[size_t(Index)]);
        FFonts[size_t(Index)] = nullptr;
        FFontNames[size_t(Index)].clear();
    }
}

void THPEdit2::ReleaseStyledFonts(int Index)
{
    for (TGrobFont *&f : FStyledFonts[size_t(Index)]) {
        TSharedObject::Release(f);
        f = nullptr;
    }
}

TGrobFont *THPEdit2::StyledFont(uint8_t Attr)
{
    Attr = NormaliseSlant(Attr);
    const int slot = FontIndex(Attr);
    const int style = Attr & AttrStyleMask; // at most 23 once the slants are normalised
    TGrobFont *&f = FStyledFonts[size_t(slot)][size_t(style)];
    if (!f) {
        auto font = TSharedRef<TGrobFont>::Adopt(new TGrobFont);
        if (TGrob *g = FFonts[size_t(slot)])
            font->BuildFromGrob(*g, Attr); // the whole byte: the mini build places by the font bits
        f = font.get();
        f->AddRef();
    }
    return f;
}

// ---- Pictures

int THPEdit2::AddPicture(const QImage &Source)
{
    const QImage bitmap = Source.convertToFormat(QImage::Format_RGB32);
    int firstEmpty = 0;
    for (int k = 1; k <= PictureSlotCount; ++k) {
        TPictureHP *p = FPictures[size_t(k)];
        if (!p) {
            if (!firstEmpty)
                firstEmpty = k;
            continue;
        }
        if (p->Bitmap.size() != bitmap.size())
            continue;
        bool same = true;
        for (int y = 0; same && y < bitmap.height(); ++y) {
            const QRgb *a = reinterpret_cast<const QRgb *>(p->Bitmap.constScanLine(y));
            const QRgb *b = reinterpret_cast<const QRgb *>(bitmap.constScanLine(y));
            for (int x = 0; x < bitmap.width(); ++x)
                if ((a[x] ^ b[x]) & 0xFFFFFF) {
                    same = false;
                    break;
                }
        }
        if (same) {
            p->AddRef();
            return k;
        }
    }
    if (!firstEmpty)
        throw EErrorLoading(ResString(TResId::sPictureTableFull));
    FPictures[size_t(firstEmpty)] = new TPictureHP(bitmap);
    return firstEmpty;
}

void THPEdit2::ReleasePicture(int Slot)
{
    TPictureHP *p = Picture(Slot);
    if (!p)
        return;
    if (p->RefCount() == 1)
        FPictures[size_t(Slot)] = nullptr;
    TSharedObject::Release(p);
}

void THPEdit2::SetPictureLine(int I, int Slot)
{
    TALine *line = Line(I);
    line->Chars = QByteArray(1, char(CharPicture));
    line->Attrs = QByteArray(1, char(Slot));
}

// ---- Access

uint8_t THPEdit2::CharAt(int I, int Pos) const
{
    const QByteArray &c = FLines[size_t(I)]->Chars;
    return Pos >= 1 && Pos <= c.size() ? uint8_t(c[Pos - 1]) : CharLineFeed;
}

uint8_t THPEdit2::AttrAt(int I, int Pos) const
{
    const TALine &line = *FLines[size_t(I)];
    if (Pos < 1 || Pos > line.Chars.size())
        return 0;
    const uint8_t c = uint8_t(line.Chars[Pos - 1]);
    return c == CharPicture ? 0 : uint8_t(line.Attrs[Pos - 1]);
}

TPictureHP *THPEdit2::PictureOfLine(int I) const
{
    const TALine &line = *FLines[size_t(I)];
    if (line.Chars.isEmpty() || uint8_t(line.Chars[0]) != CharPicture)
        return nullptr;
    return Picture(uint8_t(line.Attrs[0]));
}

QImage THPEdit2::PictureBitmap(int I) const
{
    const TPictureHP *p = PictureOfLine(I);
    return p ? p->Bitmap : QImage();
}

// ---- File identity, attribute, notifications

void THPEdit2::SetFileName(const QString &Name)
{
    FFileName = Name.isEmpty() ? QString() : QFileInfo(Name).absoluteFilePath();
}

void THPEdit2::SetModified(bool Value)
{
    if (Value == FModified)
        return;
    FModified = Value;
    PostNotify(HPM_MODIFIEDCHANGED, 0);
}

void THPEdit2::SetCurrentAttr(uint8_t Value)
{
    FCurrentAttr = Value;
    PostNotify(HPM_ATTRCHANGED, Value);
}

void THPEdit2::ToggleCurrentAttr(uint8_t Value)
{
    uint8_t a = FCurrentAttr;
    ApplyStyle(a, Value);
    SetCurrentAttr(a);
}

void THPEdit2::PostNotify(int Type, int Arg)
{
    QWidget *host = parentWidget();
    if (!host)
        return;
    // The host only needs the latest typing attribute and font state; every flag change counts.
    if (Type != HPM_MODIFIEDCHANGED)
        QCoreApplication::removePostedEvents(host, Type);
    QCoreApplication::postEvent(host, new THPNotifyEvent(Type, Arg));
}

void THPEdit2::SetRightEdge(int Value)
{
    FRightEdge = Value;
    InvalidateAll();
    if (OnRightEdgeChanged)
        OnRightEdgeChanged();
}

void THPEdit2::SetSubDirFont(const QString &Value)
{
    QString v = Value;
    if (v.endsWith('\\'))
        v.chop(1);
    if (!v.isEmpty() && !v.endsWith('/'))
        v += '/';
    FSubDirFont = v;
}

void THPEdit2::Warn(const QString &Text)
{
    if (OnWarning)
        OnWarning(Text);
    else
        QMessageBox::warning(this, ResString(TResId::sAppTitle), Text);
}

// ---- Positions

int THPEdit2::ComparePos(int L1, int C1, int L2, int C2)
{
    if (L1 != L2)
        return L1 > L2 ? 1 : -1;
    if (C1 != C2)
        return C1 > C2 ? 1 : -1;
    return 0;
}

bool THPEdit2::NextPos(int &L, int &C) const
{
    const int n = LineLength(L);
    if (C >= n + 1) {
        if (L >= LineCount() - 1)
            return false;
        ++L;
        C = 1;
    } else {
        ++C;
    }
    return true;
}

bool THPEdit2::PrevPos(int &L, int &C) const
{
    if (C <= 1) {
        if (L <= 0)
            return false;
        --L;
        C = LineLength(L) + 1;
    } else {
        --C;
    }
    return true;
}
