#pragma once
// From what a reader found in a file to the lines of a document, without an editor: text split
// at its line feeds, filtered and stripped for the kind, and every picture on a line of its own.
#include "u_DocFormats.h"
#include "u_THPDocument.h"

#include <memory>
#include <vector>

// The lines and their picture table, laid out as inserting the file's content at the caret of an
// empty document would lay them out. Raises EErrorLoading when the pictures need more than the
// table's slots. Given Store, the lines too long to hold their bytes themselves point into a store
// put there, which must then outlive them, and which may take Read's text over; otherwise every
// line holds its own bytes.
void BuildDocumentLines(TReadDocument &&Read, TEditor Kind, TLineVector &Lines, TPictureTable &Pictures,
                        std::shared_ptr<TLineStore> *Store = nullptr);
