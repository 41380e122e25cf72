// Style and font commands: on the selection, or on the attribute the next typed characters take.
#include "u_THPEdit2.h"

namespace {
// Whether the kind can store what Value sets. Font commands exist in TGV documents only, and each
// kind keeps its own set of styles; a command the kind cannot store would put bits into the
// document that its files cannot hold and its one font cannot draw.
bool KindKeeps(TEditor Kind, uint8_t Value)
{
    uint8_t probe = 0;
    ApplyStyle(probe, Value);
    QByteArray kept(1, char(probe));
    StripAttrs(kept, Kind);
    return uint8_t(kept[0]) == probe;
}
} // namespace

void THPEdit2::ToggleStyle(uint8_t Value)
{
    if (!KindKeeps(FDoc->Kind(), Value))
        return;
    // Characters typed after a style change are a step of their own.
    FDoc->BreakMerge();
    if (FSelected)
        ApplyStyleTo(Value);
    else
        ToggleCurrentAttr(Value);
}

void THPEdit2::ApplyStyleTo(uint8_t Value)
{
    if (!FSelected || !KindKeeps(FDoc->Kind(), Value))
        return;
    // The style goes on every selected character unless all of them have it already; then it comes
    // off all of them. A font value always selects its font.
    const bool target = (CommonAttr() & Value) == 0;
    TEditStep step(this);
    for (int l = FSelStartLine; l <= FSelEndLine; ++l) {
        if (PictureOfLine(l))
            continue;
        const int n = LineLength(l);
        const int from = l == FSelStartLine ? FSelStartCol : 1;
        const int to = std::min(l == FSelEndLine ? FSelEndCol : n, n); // the line end has no attribute
        if (to < from)
            continue;
        QByteArray attrs = Line(l).Attrs().mid(from - 1, to - from + 1);
        for (char &c : attrs) {
            uint8_t a = uint8_t(c);
            if (((a & Value) != 0) != target) {
                ApplyStyle(a, Value);
                c = char(a);
            }
        }
        FDoc->SetAttrs(l, from, attrs);
    }
    SetCurrentAttr(CommonAttr());
}
