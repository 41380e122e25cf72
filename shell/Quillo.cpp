// The program: start-up in its fixed order, then either a headless command or the main window.
#include "u_Application.h"
#include "u_GlobalScope.h"
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
#include <QGuiApplication>
#include <cstdio>
#include <memory>

namespace {
void PrintLine(FILE *to, const QString &text)
{
    std::fputs(qPrintable(text + '\n'), to);
    std::fflush(to);
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
    // Headless modes never need a display. The arguments are read again once the application has
    // taken its own (-platform, -style …) out of them.
    QStringList rawArguments;
    for (int i = 0; i < argc; ++i)
        rawArguments << QString::fromLocal8Bit(argv[i]);
    const bool headless = ParseCommandLine(rawArguments).Headless();
    if (headless && qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    if (headless)
        qInstallMessageHandler(QuietQtMessages);

    // The window's application shows any error that escapes a command and keeps the program running;
    // a headless command draws into images at most, and creates no widget.
    std::unique_ptr<QCoreApplication> app;
    if (headless)
        app = std::make_unique<QGuiApplication>(argc, argv);
    else
        app = std::make_unique<TQuilloApplication>(argc, argv);
    QCoreApplication::setOrganizationName("Quillo");
    QCoreApplication::setApplicationName("Quillo");
    QCoreApplication::setApplicationVersion("3.70 beta");
    // A translation module beside the program gives every text, messages and --help included, from
    // here on.
    if (LoadTranslationModule(GetModuleDir()))
        LoadQtTranslation(*app);

    const TCommandLine commandLine = ParseCommandLine(QCoreApplication::arguments());
    if (commandLine.Mode == TRunMode::Version) {
        PrintLine(stdout, ResString(TResId::sAppVersion));
        return 0;
    }
    if (commandLine.Mode == TRunMode::Help) {
        PrintLine(stdout, CommandLineHelp());
        return 0;
    }
    // The window opens whatever else was given, as a desktop's launcher expects; the user still
    // learns what was not understood.
    if (commandLine.Mode == TRunMode::Window && !commandLine.Error.isEmpty())
        PrintLine(stderr, commandLine.Error);

    // A start with files while Quillo runs gives them to that instance and ends at once, before any
    // time goes into fonts; otherwise this instance answers the desktop's open requests (topic
    // "system") from now on.
    Tddemacroserver macroServer;
    if (!headless && HandOverToRunningInstance(commandLine.Files, macroServer))
        return 0;

    AppDir = GetAppDir();
    const TGlobalScope<TListGrobFont> fontList(FontList);
    LoadProgramFonts(*FontList);
    const TGlobalScope<TSettings> settings(Settings);
    // Only reached beside a running instance when the hand-over failed: that one keeps the settings.
    Settings->SetReadOnly(macroServer.AnotherInstanceAnswers());

    int result = 0;
    if (commandLine.Mode == TRunMode::Convert)
        result = RunConvert(commandLine);
    else if (commandLine.Mode == TRunMode::Render)
        result = RunRender(commandLine);
    else if (commandLine.Mode == TRunMode::Send)
        result = RunSend(commandLine);
    else if (commandLine.Mode == TRunMode::Get)
        result = RunGet(commandLine);
    else if (commandLine.Mode == TRunMode::Grob)
        result = RunGrob(commandLine);
    else {
        RegisterFileTypes(QCoreApplication::applicationFilePath());
        result = RunMainWindow(commandLine.Files, macroServer);
    }
    AppDir.clear();
    return result;
}
