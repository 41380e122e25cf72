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

QString ResString(TResId Id)
{
    if (HasTranslation())
        return Translated()[size_t(Id)];
    return ResDefaultString(Id);
}

void SetResTranslation(TResLookup Lookup, void *Context)
{
    for (size_t i = 0; i < BuiltIn.size(); ++i) {
        QString text = Lookup(BuiltIn[i].Identifier, Context);
        Translated()[i] = text.isNull() ? QString("") : text;
    }
    HasTranslation() = true;
}
