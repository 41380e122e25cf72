#pragma once
// The open requests of the desktop: a file opened from the file manager while Quillo runs reaches the
// running instance as a command line "[open("<full path>")]" on a per-user local socket named after
// the executable and the topic "system", instead of starting a second program.
#include <QList>
#include <QObject>
#include <QString>
#include <QStringList>

class QLocalServer;
class QLocalSocket;

// Splits one request line of the form [command("argument")] into its command word and argument.
// The argument may be left out ([open()]); there is no escape for a double quote inside it. Text after
// the closing bracket is ignored. False, with both outputs empty, when the line is malformed.
bool ParseMacro(const QString &Line, QString &Command, QString &Argument);

// The request line that asks the running instance to open Path, or an empty string when Path cannot
// be written in that form (it holds a double quote or a line break).
QString OpenMacroLine(const QString &Path);

// The request line that asks the running instance to bring its window forward.
QString ActivateMacroLine();

// The service name open requests are addressed to: the executable's file name up to its first dot.
QString MacroServiceName();

// The server side: answers one topic (the object's name, "system" for the main window) under the
// service name. A client sends its request as lines and ends it with an empty line (or by closing the
// connection); the server then answers "ok" on a line of its own, ends the connection, and only
// afterwards, from the event loop, raises Onmacro for every line that parses, one request at a time.
// Nothing a request does (a message box with its own event loop) can therefore reach a connection
// still being read. Malformed lines are dropped without a word. Only the same user can connect, and
// no client can stall or flood the program: a client gets RequestDeadlineMs in all to send its
// request, and a line longer than MaxLineLength ends the connection with nothing carried out.
class Tddemacroserver : public QObject {
    Q_OBJECT
public:
    static constexpr int MaxLineLength = 64 * 1024;
    static constexpr int RequestDeadlineMs = 2000;
    static constexpr int MaxConnections = 16;

    explicit Tddemacroserver(QObject *Owner = nullptr, const QString &Topic = QStringLiteral("system"));
    ~Tddemacroserver() override;

    // Starts answering requests for Service. False when another instance already answers them, or
    // when no private place for the socket can be found; the program then runs without the server.
    bool Listen(const QString &Service = MacroServiceName());
    bool IsListening() const;
    // Whether the last Listen found another instance answering already.
    bool AnotherInstanceAnswers() const { return FOtherInstance; }
    // Where the socket of this topic and Service lives (in the user's private runtime folder), or an
    // empty string when there is no such folder.
    static QString SocketPath(const QString &Service, const QString &Topic);

    // Raises Onmacro for every line that parses, in order.
    void ExecuteMacro(const QStringList &Lines);
    // Carries Lines out once control is back in the event loop, after the requests queued before.
    void QueueMacro(const QStringList &Lines);

signals:
    void Onmacro(const QString &Command, const QString &Argument);

private:
    void AcceptConnections();
    void RunQueued();

    QLocalServer *FServer = nullptr;
    QList<QStringList> FQueue;
    bool FRunScheduled = false;
    bool FRunning = false;
    bool FOtherInstance = false;
};

// The start-up decision. Server tries to become the one instance that answers the desktop; when another
// instance answers already, each file is sent to it as an open request (with its full path), or with
// no files an activate request, and true is returned: this process has nothing more to do and exits
// at once. False
// means this process runs as the program: as the server, or on its own when the hand-over failed or
// some file name cannot travel in a request (then it opens the files itself, so none is lost).
bool HandOverToRunningInstance(const QStringList &Files, Tddemacroserver &Server,
                               const QString &Service = MacroServiceName());

// Sends Lines as one request to the instance answering Topic under Service; true only when that
// instance acknowledged the whole request. An instance too busy to take it (every connection in use)
// is asked again until HandOverDeadlineMs have passed.
constexpr int HandOverDeadlineMs = 5000;
bool SendMacroLines(const QStringList &Lines, const QString &Service, const QString &Topic);
