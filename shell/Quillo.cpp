// The program: start-up in its fixed order, then either a headless command or the main window.
#include "u_Application.h"
#include "u_Headless.h"
#include "u_InterfBegin.h"
#include "u_ResourceStrings.h"
#include "u_Settings.h"
#include "u_TGrob.h"
#include "u_TranslationModule.h"
#include "u_ddemacro.h"
#include "u_registerextensionsHP.h"
#include "u_utils.h"

#include <QFileInfo>
#include <cstdio>

namespace {
void PrintLine(FILE *to, const QString &text)
{
    std::fputs(qPrintable(text + '\n'), to);
    std::fflush(to);
}

bool HasArgument(int argc, char **argv, const char *name)
{
    for (int i = 1; i < argc; ++i)
        if (qstrcmp(argv[i], name) == 0)
            return true;
    return false;
}

// The file arguments, in order: everything that is not an option.
QStringList FileArguments(const QStringList &Arguments)
{
    QStringList files;
    for (const QString &argument : Arguments.mid(1))
        if (!argument.startsWith(u'-'))
            files << argument;
    return files;
}

// In the headless modes standard error carries the program's own messages only: Qt's remarks about
// the session (no runtime folder, no display) would read like failures to a script.
void QuietQtMessages(QtMsgType Type, const QMessageLogContext &, const QString &Message)
{
    if (Type == QtCriticalMsg || Type == QtFatalMsg)
        PrintLine(stderr, Message);
}

// The main window's run: the command line's files, then the event loop until the window closes.
int RunMainWindow(const QStringList &Files, Tddemacroserver &MacroServer)
{
    int result = 0;
    {
        TFFormBegin FFormBegin;
        // From here on the desktop's open requests reach the main window.
        FFormBegin.Adoptsystem(MacroServer);
        FFormBegin.show();
        for (const QString &file : Files)
            if (QFileInfo::exists(file))
                FFormBegin.OpenFile(file);
        result = QApplication::exec();
    } // the main window saves its toolbars, size, state and recent files as it goes
    return result;
}
} // namespace

int main(int argc, char **argv)
{
    // Headless modes never need a display.
    const bool headless = HasArgument(argc, argv, "--version") || HasArgument(argc, argv, "--help")
        || HasArgument(argc, argv, "--convert") || HasArgument(argc, argv, "--render")
        || HasArgument(argc, argv, "--send") || HasArgument(argc, argv, "-h");
    if (headless && qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    if (headless)
        qInstallMessageHandler(QuietQtMessages);

    // Its default handler shows any error that escapes a command and keeps the program running.
    TQuilloApplication app(argc, argv);
    QApplication::setOrganizationName("Quillo");
    QApplication::setApplicationName("Quillo");
    QApplication::setApplicationVersion("3.70 beta");

    const QStringList arguments = QApplication::arguments();
    if (HasArgument(argc, argv, "--version")) {
        PrintLine(stdout, ResString(TResId::sAppVersion));
        return 0;
    }
    if (HasArgument(argc, argv, "--help") || HasArgument(argc, argv, "-h")) {
        PrintLine(stdout, ResString(TResId::sUsage));
        return 0;
    }

    // A start with files while Quillo runs gives them to that instance and ends at once, before any
    // time goes into fonts; otherwise this instance answers the desktop's open requests (topic
    // "system") from now on.
    Tddemacroserver macroServer;
    if (!headless && HandOverToRunningInstance(FileArguments(arguments), macroServer))
        return 0;

    AppDir = GetAppDir();
    // A translation module beside the program gives every text, messages included, from here on.
    LoadTranslationModule(AppDir);
    CreateFontList();
    Settings = new TSettings();

    int result = 0;
    if (HasArgument(argc, argv, "--convert"))
        result = RunConvert(arguments);
    else if (HasArgument(argc, argv, "--render"))
        result = RunRender(arguments);
    else if (HasArgument(argc, argv, "--send"))
        result = RunSend(arguments);
    else {
        RegisterFileTypes(QCoreApplication::applicationFilePath());
        result = RunMainWindow(FileArguments(arguments), macroServer);
    }

    delete Settings;
    Settings = nullptr;
    FreeFontList();
    AppDir.clear();
    return result;
}
