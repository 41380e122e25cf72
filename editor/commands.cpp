// Styles, justification, clipboard and pictures.
//
// STUB: these bodies only let the library link until the commands are written; each does nothing.
#include "u_THPEdit2.h"

void THPEdit2::ToggleStyle(uint8_t) {}
void THPEdit2::ApplyStyleTo(uint8_t) {}
void THPEdit2::Justify(int) {}
void THPEdit2::TrimLine(int) {}
void THPEdit2::CenterLine(int) {}
void THPEdit2::RightAlignLine(int) {}
bool THPEdit2::BreakAtRightEdge(int) { return false; }
void THPEdit2::CopyToClipboard() {}
void THPEdit2::CutToClipboard() {}
void THPEdit2::PasteFromClipboard() {}
bool THPEdit2::CanPaste() const { return false; }
void THPEdit2::InsertPicture(int, int, const QString &, const QImage &) {}
void THPEdit2::InsertGrobFile(int, int, const QString &) {}
void THPEdit2::DeletePictureLine(int) {}
