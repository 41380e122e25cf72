#include "u_CommandLine.h"

#include "u_ResourceStrings.h"

#include <QCommandLineParser>
#include <QRegularExpression>
#include <array>

namespace {
// The modes an option belongs to, as bits of 1 << TRunMode.
constexpr unsigned Bit(TRunMode Mode)
{
    return 1u << unsigned(Mode);
}
constexpr unsigned AnyMode = ~0u;

struct TOptionEntry {
    const char *Name;
    const char *ValueName; // null for a flag
    TResId Description;
    unsigned Modes;
    TRunMode Starts = TRunMode::Window; // the mode the option selects, Window for none
};

constexpr unsigned LinkModes = Bit(TRunMode::Send) | Bit(TRunMode::Get);

const std::array<TOptionEntry, 23> &Options()
{
    static const std::array<TOptionEntry, 23> options{{
        {"convert", nullptr, TResId::sCliOptConvert, Bit(TRunMode::Convert), TRunMode::Convert},
        {"render", nullptr, TResId::sCliOptRender, Bit(TRunMode::Render), TRunMode::Render},
        {"send", nullptr, TResId::sCliOptSend, Bit(TRunMode::Send), TRunMode::Send},
        {"get", nullptr, TResId::sCliOptGet, Bit(TRunMode::Get), TRunMode::Get},
        {"grob", nullptr, TResId::sCliOptGrob, Bit(TRunMode::Grob), TRunMode::Grob},
        {"execute-with", "NAME", TResId::sCliOptExecuteWith, Bit(TRunMode::Convert)},
        {"no-execute", nullptr, TResId::sCliOptNoExecute, Bit(TRunMode::Convert)},
        {"menu-char", "C", TResId::sCliOptMenuChar, Bit(TRunMode::Convert)},
        {"menu-when-started", nullptr, TResId::sCliOptMenuWhenStarted, Bit(TRunMode::Convert)},
        {"right-edge", "N", TResId::sCliOptRightEdge, Bit(TRunMode::Render)},
        {"port", "N|DEVICE", TResId::sCliOptPort, LinkModes},
        {"calculator", "hp48|hp49", TResId::sCliOptCalculator, Bit(TRunMode::Send)},
        {"as", "NAME", TResId::sCliOptAs, Bit(TRunMode::Send)},
        {"block-check", "1|2|3", TResId::sCliOptBlockCheck, LinkModes},
        {"no-repeat", nullptr, TResId::sCliOptNoRepeat, LinkModes},
        {"into", "DIR", TResId::sCliOptInto, Bit(TRunMode::Get)},
        {"overwrite", nullptr, TResId::sCliOptOverwrite, Bit(TRunMode::Get)},
        {"width", "N", TResId::sCliOptWidth, Bit(TRunMode::Grob)},
        {"dither", "none|fs|ordered", TResId::sCliOptDither, Bit(TRunMode::Grob)},
        {"threshold", "P", TResId::sCliOptThreshold, Bit(TRunMode::Grob)},
        {"invert", nullptr, TResId::sCliOptInvert, Bit(TRunMode::Grob)},
        {"help", nullptr, TResId::sCliOptHelp, AnyMode, TRunMode::Help},
        {"version", nullptr, TResId::sCliOptVersion, AnyMode, TRunMode::Version},
    }};
    return options;
}

const TOptionEntry *FindOption(const QString &Name)
{
    for (const TOptionEntry &option : Options())
        if (Name == QLatin1String(option.Name) || (Name == QLatin1String("h") && option.Starts == TRunMode::Help))
            return &option;
    return nullptr;
}

// The argument the user typed for option Name, as written (one or two dashes, "=value" dropped).
QString AsTyped(const QStringList &Arguments, const QString &Name)
{
    for (const QString &argument : Arguments.mid(1)) {
        const QString bare = argument.section(QLatin1Char('='), 0, 0);
        if (bare == QLatin1String("--") + Name || bare == QLatin1Char('-') + Name)
            return argument;
    }
    return QLatin1String("--") + Name;
}

// The modes' own words for the three kinds of usage error.
QString UnknownOption(TRunMode Mode, const QString &Typed)
{
    return Mode == TRunMode::Send || Mode == TRunMode::Get ? ResString(TResId::sSendBadOption).arg(Typed.section(QLatin1Char('='), 0, 0))
                                  : ResString(TResId::sCliUnknownArgument).arg(Typed);
}

QString MissingValue(TRunMode Mode, const QString &Option)
{
    return Mode == TRunMode::Send || Mode == TRunMode::Get ? ResString(TResId::sSendNeedsValue).arg(Option)
                                  : ResString(TResId::sCliBadValue).arg(Option, QString());
}

// Why QCommandLineParser refused the arguments, in the mode's words: an unknown option, an
// option without its value, or a value given to a flag.
QString ParserError(TRunMode Mode, const QStringList &Arguments, const QCommandLineParser &Parser)
{
    if (!Parser.unknownOptionNames().isEmpty())
        return UnknownOption(Mode, AsTyped(Arguments, Parser.unknownOptionNames().first()));
    bool optionsEnded = false;
    for (qsizetype i = 1; i < Arguments.size() && !optionsEnded; ++i) {
        const QString &argument = Arguments[i];
        optionsEnded = argument == QLatin1String("--");
        if (!argument.startsWith(QLatin1Char('-')) || optionsEnded)
            continue;
        const QString name = argument.section(QLatin1Char('='), 0, 0).remove(QRegularExpression(QStringLiteral("^--?")));
        const TOptionEntry *option = FindOption(name);
        if (!option)
            continue;
        if (!option->ValueName && argument.contains(QLatin1Char('=')))
            return UnknownOption(Mode, argument);
        if (option->ValueName && !argument.contains(QLatin1Char('=')) && i + 1 == Arguments.size())
            return MissingValue(Mode, argument);
    }
    return UnknownOption(Mode, Arguments.last());
}
} // namespace

std::optional<QString> TCommandLine::Value(const QString &Name) const
{
    const auto it = FValues.constFind(Name);
    if (it == FValues.constEnd() || it->isEmpty())
        return std::nullopt;
    return it->last();
}

TCommandLine ParseCommandLine(const QStringList &Arguments)
{
    QCommandLineParser parser;
    // "-help" and "-port 3" read as their long forms; bundled single letters mean nothing here.
    parser.setSingleDashWordOptionMode(QCommandLineParser::ParseAsLongOptions);
    for (const TOptionEntry &option : Options()) {
        QStringList names{QLatin1String(option.Name)};
        if (option.Starts == TRunMode::Help)
            names << QStringLiteral("h");
        parser.addOption(option.ValueName ? QCommandLineOption(names, QString(), QLatin1String(option.ValueName))
                                        : QCommandLineOption(names));
    }
    const bool parsed = parser.parse(Arguments);

    TCommandLine line;
    // The mode: --help and --version win wherever they stand, else the first mode option given.
    const QStringList given = parser.optionNames();
    for (const QString &name : given)
        if (const TOptionEntry *option = FindOption(name); option && option->Starts != TRunMode::Window) {
            const bool informative = option->Starts == TRunMode::Help || option->Starts == TRunMode::Version;
            if (informative || line.Mode == TRunMode::Window)
                line.Mode = option->Starts;
            if (informative)
                break;
        }
    if (line.Mode == TRunMode::Help || line.Mode == TRunMode::Version)
        return line;

    line.Files = parser.positionalArguments();
    if (!parsed) {
        line.Error = ParserError(line.Mode, Arguments, parser);
        return line;
    }
    for (const QString &name : given) {
        const TOptionEntry *option = FindOption(name);
        const bool repeated = line.FValues.contains(QLatin1String(option->Name));
        // Another mode's option is misplaced here; the conversions also refuse a repeated one,
        // whose two values would leave the user guessing which counts.
        if (!(option->Modes & Bit(line.Mode)) || (repeated && line.Mode != TRunMode::Send && line.Mode != TRunMode::Get)) {
            line.Error = UnknownOption(line.Mode, AsTyped(Arguments, name));
            return line;
        }
        line.FValues[QLatin1String(option->Name)] = option->ValueName ? parser.values(name) : QStringList();
    }
    return line;
}

QString CommandLineHelp()
{
    QStringList rows;
    int width = 0;
    for (const TOptionEntry &option : Options()) {
        QString left = QLatin1String("  --") + QLatin1String(option.Name);
        if (option.ValueName)
            left += QLatin1Char(' ') + QLatin1String(option.ValueName);
        rows << left;
        width = qMax(width, int(left.size()));
    }
    QString help = ResString(TResId::sUsage) + QLatin1String("\n\n") + ResString(TResId::sCliOptionsTitle);
    for (size_t i = 0; i < Options().size(); ++i)
        help += QLatin1Char('\n') + rows[qsizetype(i)].leftJustified(width + 2) + ResString(Options()[i].Description);
    return help;
}
