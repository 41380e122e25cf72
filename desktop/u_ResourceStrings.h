#pragma once
// The program's string table: every interface text and message, looked up by identifier at run time
// so that a translation module can replace the built-in English texts.
#include <QString>

enum class TResId : int {
#define RS(id, text) id,
#include "u_ResourceStrings.def"
#include "u_MessageStrings.def"
#undef RS
    Count
};

// The text in force for Id: the translation module's when one is loaded and has it, else English.
QString ResString(TResId Id);
// The identifier's name as it is exported by translation modules ("sCannotConnect").
const char *ResIdentifier(TResId Id);
// The built-in English text.
QString ResDefaultString(TResId Id);
// Whether Id is one of the window texts (the table every translation module carries) rather than one
// of the program's further messages.
bool IsWindowText(TResId Id);

// Replaces the texts in force by a translation's: Lookup returns the translated text of an
// identifier, or a null QString when the translation has none (a window text then becomes empty, a
// message of the program keeps its English text).
// Called once at start-up, before any window exists.
using TResLookup = QString (*)(const char *Identifier, void *Context);
void SetResTranslation(TResLookup Lookup, void *Context);
