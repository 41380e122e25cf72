// The editor around its document: construction and reset, the font slots and their glyph cache,
// the file identity, the notifications to the host and the position helpers.
#include "u_THPEdit2.h"

#include <QScrollBar>

#include "u_Errors.h"
#include "u_ResourceStrings.h"
#include "u_utils.h"

#include <QApplication>
#include <QFileInfo>
#include <QMessageBox>
#include <QScrollBar>

const QString THPEdit2::ClipboardFormat = QStringLiteral("application/x-qt-windows-mime;value=\"HP48StyleFormat\"");

// ---- Construction and reset

THPEdit2::THPEdit2(QWidget *Parent, TEditor Kind)
    : QAbstractScrollArea(Parent), FDoc(new THPDocument(Kind, this)), FPainter(*FDoc)
{
    connect(FDoc, &THPDocument::ModifiedChanged, this, [this] { PostNotify(HPM_MODIFIEDCHANGED, 0); });
    connect(FDoc, &THPDocument::LinesChanged, this, [this](int First, int Last) {
        Relayout(First, Last - First + 1, Last - First + 1);
        InvalidateLines(First, Last);
    });
    connect(FDoc, &THPDocument::LinesInserted, this, [this](int First, int Count) {
        Relayout(First, 0, Count);
        InvalidateLines(First, First + Count - 1);
    });
    connect(FDoc, &THPDocument::LinesRemoved, this, [this](int First, int Count) { Relayout(First, Count, 0); });
    connect(FDoc, &THPDocument::LinesReplaced, this, &THPEdit2::LinesReplaced);
    connect(FDoc, &THPDocument::CaretRestored, this, &THPEdit2::RestoreCaret);
    connect(FDoc, &THPDocument::FontsChanged, this, [this] {
        InvalidateAll();
        PostNotify(HPM_FONTSCHANGED, 0);
    });
    connect(FDoc, &THPDocument::FontsRestored, this, [this](const std::array<QString, 3> &Names) {
        SetFonts(Names[0], Names[1], Names[2]);
    });
    setFrameStyle(QFrame::Box | QFrame::Plain);
    setLineWidth(1);
    setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    // The horizontal bar shows only while a line is wider than the view.
    setHorizontalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    FHorizontalTimer.setSingleShot(true);
    FHorizontalTimer.setInterval(0);
    connect(&FHorizontalTimer, &QTimer::timeout, this, [this] { UpdateHorizontalBar(); });
    connect(horizontalScrollBar(), &QScrollBar::valueChanged, this, [this](int Value) {
        if (!FSyncingScrollBar)
            ScrollBy(Value - FScrollX, 0);
    });
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
    // The document is a child and outlives this part of the editor; nothing it still says may reach it.
    disconnect(FDoc, nullptr, this, nullptr);
}

void THPEdit2::NewDocument()
{
    // The document is reset even when a font is missing, so the editor always holds a line; the
    // font error is raised once the reset is complete.
    std::exception_ptr fontError;
    try {
        switch (FDoc->Kind()) {
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
    // The host always hears about the flag, even when it was already clear.
    const bool wasModified = Modified();
    FSelected = false;
    FExtendSelection = false;
    FScrollX = 0;
    FScrollY = 0;
    ClearDocument();
    if (!wasModified)
        PostNotify(HPM_MODIFIEDCHANGED, 0);
    ComputeViewSize();
    SetCurrentAttr(0);
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
    TLineVector lines(1);
    FDoc->Reset(std::move(lines), TPictureTable(), TFileIdentity());
}

void THPEdit2::ClearDocument()
{
    AddFirstLine();
}

// ---- Fonts

void THPEdit2::SetFonts(const QString &Name0, const QString &Name1, const QString &Name2)
{
    FDoc->SetFonts({Name0, Name1, Name2});
}

// ---- Pictures

void THPEdit2::SetPictureLine(int I, int Slot)
{
    FDoc->SetPictureLine(I, Slot);
}

// ---- Access

uint8_t THPEdit2::CharAt(int I, int Pos) const
{
    const TALine &line = FDoc->Line(I);
    return Pos >= 1 && Pos <= line.Length() ? line.Char(Pos - 1) : CharLineFeed;
}

uint8_t THPEdit2::AttrAt(int I, int Pos) const
{
    const TALine &line = FDoc->Line(I);
    if (Pos < 1 || Pos > line.Length())
        return 0;
    return line.Char(Pos - 1) == CharPicture ? 0 : line.Attr(Pos - 1);
}

TPictureHP *THPEdit2::PictureOfLine(int I) const
{
    return FDoc->PictureOfLine(I);
}

QImage THPEdit2::PictureBitmap(int I) const
{
    const TPictureHP *p = PictureOfLine(I);
    return p ? p->Bitmap.convertToFormat(QImage::Format_RGB32) : QImage();
}

// ---- File identity, attribute, notifications

void THPEdit2::SetFileName(const QString &Name)
{
    FDoc->Identity().FileName = Name.isEmpty() ? QString() : QFileInfo(Name).absoluteFilePath();
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

void THPEdit2::Warn(const QString &Text)
{
    if (OnWarning)
        OnWarning(Text);
    else
        QMessageBox::warning(this, ResString(TResId::sAppTitle), Text);
}

void THPEdit2::Note(const QString &Text)
{
    if (OnStatus)
        OnStatus(Text);
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
