// The editor's side of the undo history: every command is one step that remembers the caret and
// the selection on both sides, and undoing or redoing a step shows the place it changed.
#include "u_THPEdit2.h"

#include "u_Errors.h"

#include <algorithm>

TEditStep::TEditStep(THPEdit2 *Ed, bool Typing) : FEd(Ed), FTyping(Typing)
{
    if (FEd->FStepDepth++ == 0)
        FEd->FDoc->BeginStep(FEd->CaretState());
}

TEditStep::~TEditStep()
{
    if (--FEd->FStepDepth == 0)
        FEd->FDoc->EndStep(FEd->CaretState(), FTyping);
}

TCaretState THPEdit2::CaretState() const
{
    TCaretState s;
    s.Line = FCaretLine;
    s.Col = FCaretCol;
    s.AnchorLine = FAnchorLine;
    s.AnchorCol = FAnchorCol;
    s.Selected = FSelected;
    s.SelStartLine = FSelStartLine;
    s.SelStartCol = FSelStartCol;
    s.SelEndLine = FSelEndLine;
    s.SelEndCol = FSelEndCol;
    s.Valid = true;
    return s;
}

void THPEdit2::RestoreCaret(const TCaretState &Caret)
{
    auto clampLine = [this](int L) { return std::clamp(L, 0, LineCount() - 1); };
    FExtendSelection = false;
    if (Caret.Selected) {
        MoveCaretTo(clampLine(Caret.AnchorLine), Caret.AnchorCol, false);
        FExtendSelection = true;
    }
    MoveCaretTo(clampLine(Caret.Line), Caret.Col, true);
    FExtendSelection = false;
    ScrollToCaret();
}

void THPEdit2::LinesReplaced(int First, int OldCount, int NewCount)
{
    Relayout(First, OldCount, NewCount);
    FSelected = false;
    FCaretLine = std::min(FCaretLine, LineCount() - 1);
    FAnchorLine = std::min(FAnchorLine, LineCount() - 1);
    FCaretCol = std::min(FCaretCol, LineLength(FCaretLine) + 1);
    FAnchorCol = std::min(FAnchorCol, LineLength(FAnchorLine) + 1);
    InvalidateAll();
}

void THPEdit2::Undo()
{
    try {
        FDoc->Undo();
    } catch (const EError &e) {
        Warn(e.Message());
    }
}

void THPEdit2::Redo()
{
    try {
        FDoc->Redo();
    } catch (const EError &e) {
        Warn(e.Message());
    }
}

void THPEdit2::ChangeFonts(const QString &Name0, const QString &Name1, const QString &Name2)
{
    const std::array<QString, 3> before{FontNames(0), FontNames(1), FontNames(2)};
    const std::array<QString, 3> after{Name0, Name1, Name2};
    if (before == after)
        return;
    // A font that fails to load is still the document's choice: the step is kept, so that undo
    // goes back to the fonts that showed before.
    struct TPush {
        THPEdit2 *Ed;
        std::array<QString, 3> Before, After;
        ~TPush() { Ed->FDoc->PushFontStep(Before, After, Ed->CaretState()); }
    } push{this, before, after};
    SetFonts(Name0, Name1, Name2);
}
