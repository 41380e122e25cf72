#pragma once
// What the transfer dialog needs of a document, taken from its editor: the link layer knows nothing
// of editors.
#include "u_TransferForm.h"

class THPEdit2;

// Title is the document window's title, the saved file's full path.
TTransferDocument TransferDocumentOf(const THPEdit2 &Editor, const QString &Title);
