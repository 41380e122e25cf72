#include "u_ResourceStrings.h"

#include <QHash>
#include <array>

namespace {
struct TResEntry {
    const char *Identifier;
    const char *Text;
};

constexpr std::array<TResEntry, size_t(TResId::Count)> BuiltIn = {{
#define RS(id, text) {#id, text},
#include "u_ResourceStrings.def"
#include "u_MessageStrings.def"
#undef RS
}};

// The window texts come first in the table; the program's further messages follow them.
constexpr size_t WindowTextCount = 0
#define RS(id, text) +1
#include "u_ResourceStrings.def"
#undef RS
    ;
static_assert(WindowTextCount == 228, "the window string table holds exactly 228 texts");

// Filled once at start-up when a translation module is found.
std::array<QString, size_t(TResId::Count)> &Translated()
{
    static std::array<QString, size_t(TResId::Count)> table;
    return table;
}
bool &HasTranslation()
{
    static bool loaded = false;
    return loaded;
}
} // namespace

const char *ResIdentifier(TResId Id) { return BuiltIn[size_t(Id)].Identifier; }

QString ResDefaultString(TResId Id) { return QString::fromUtf8(BuiltIn[size_t(Id)].Text); }

bool IsWindowText(TResId Id) { return size_t(Id) < WindowTextCount; }

QString ResString(TResId Id)
{
    if (HasTranslation())
        return Translated()[size_t(Id)];
    return ResDefaultString(Id);
}

void SetResTranslation(TResLookup Lookup, void *Context)
{
    for (size_t i = 0; i < BuiltIn.size(); ++i) {
        const QString text = Lookup(BuiltIn[i].Identifier, Context);
        // A window text the translation lacks is shown empty, as in any table; a message of the
        // program's own stays in English, since a translation made from the window table alone
        // cannot know it and an empty error message would tell the user nothing.
        if (!text.isNull())
            Translated()[i] = text;
        else
            Translated()[i] = i < WindowTextCount ? QString("") : QString::fromUtf8(BuiltIn[i].Text);
    }
    HasTranslation() = true;
}
