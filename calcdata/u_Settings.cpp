#include "u_Settings.h"

TSettings *Settings = nullptr;

TSettings::TSettings() : FStore(std::make_unique<QSettings>(QSettings::IniFormat, QSettings::UserScope, "Quillo", "Quillo")) {}

TSettings::TSettings(const QString &IniPath) : FStore(std::make_unique<QSettings>(IniPath, QSettings::IniFormat)) {}

QString TSettings::Key(const QString &Section, const QString &Name) const
{
    return Section.isEmpty() ? Name : Section + '/' + Name;
}

// A section name may hold a "/" ("Height/Width"): QSettings would read it as two levels, which is
// harmless as long as reading and writing spell it the same way, as they do here.

int TSettings::ReadInteger(const QString &Section, const QString &Name, int Default) const
{
    const QVariant v = FStore->value(Key(Section, Name));
    if (!v.isValid())
        return Default;
    bool ok = false;
    const int n = v.toString().trimmed().toInt(&ok, 10);
    return ok ? n : Default;
}

QString TSettings::ReadString(const QString &Section, const QString &Name, const QString &Default) const
{
    const QVariant v = FStore->value(Key(Section, Name));
    if (!v.isValid())
        return Default;
    // A text with unquoted commas, as a hand-edited file may hold, comes back as a list: it is
    // still the one string that was stored.
    if (v.typeId() == QMetaType::QStringList)
        return v.toStringList().join(u',');
    return v.toString();
}

bool TSettings::ReadBool(const QString &Section, const QString &Name, bool Default) const
{
    const QVariant v = FStore->value(Key(Section, Name));
    if (!v.isValid())
        return Default;
    bool ok = false;
    const int n = v.toString().trimmed().toInt(&ok, 10);
    return ok ? n != 0 : Default;
}

void TSettings::WriteInteger(const QString &Section, const QString &Name, int Value)
{
    if (FReadOnly)
        return;
    FStore->setValue(Key(Section, Name), QString::number(Value));
}

void TSettings::WriteString(const QString &Section, const QString &Name, const QString &Value)
{
    if (FReadOnly)
        return;
    FStore->setValue(Key(Section, Name), Value);
}

void TSettings::WriteBool(const QString &Section, const QString &Name, bool Value)
{
    if (FReadOnly)
        return;
    FStore->setValue(Key(Section, Name), Value ? QStringLiteral("1") : QStringLiteral("0"));
}

bool TSettings::ValueExists(const QString &Section, const QString &Name) const
{
    return FStore->contains(Key(Section, Name));
}

void TSettings::EraseSection(const QString &Section)
{
    if (FReadOnly)
        return;
    // Removing the empty key would wipe the whole store.
    if (Section.isEmpty()) {
        for (const QString &name : FStore->childKeys())
            FStore->remove(name);
        return;
    }
    FStore->remove(Section);
}
