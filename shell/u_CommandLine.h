#pragma once
// The command line: the mode the program runs in, its files and its options. Read with
// QCommandLineParser; every message a user sees comes from the string table.
#include <QHash>
#include <QStringList>
#include <optional>

enum class TRunMode { Window, Convert, Render, Send, Help, Version, Grob, Get };

struct TCommandLine {
    TRunMode Mode = TRunMode::Window;
    QStringList Files; // every argument that is not an option, in order
    // The first usage error, worded for the user in the mode's own terms; empty when none.
    QString Error;

    bool IsSet(const QString &Name) const { return FValues.contains(Name); }
    // The value of an option given with one; the last one when given more than once.
    std::optional<QString> Value(const QString &Name) const;
    bool Headless() const { return Mode != TRunMode::Window; }

private:
    friend TCommandLine ParseCommandLine(const QStringList &Arguments);
    QHash<QString, QStringList> FValues; // option name without dashes → its values (none for a flag)
};

// Arguments as QCoreApplication::arguments() gives them, program name first. Never fails: a usage
// error is returned in Error, with Mode telling whose message it is.
TCommandLine ParseCommandLine(const QStringList &Arguments);

// What --help prints: the usage lines, then every option with what it does.
QString CommandLineHelp();
