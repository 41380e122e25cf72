#include "u_ddemacro.h"

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLocalServer>
#include <QLocalSocket>
#include <QLockFile>
#include <QPointer>
#include <QScopeGuard>
#include <QThread>
#include <QTimer>

#include <sys/socket.h>
#include <sys/stat.h>
#include <unistd.h>

bool ParseMacro(const QString &Line, QString &Command, QString &Argument)
{
    Command.clear();
    Argument.clear();
    // The line ends at its end or at a NUL inside it, whichever comes first.
    const qsizetype nul = Line.indexOf(QChar(0));
    const qsizetype end = nul >= 0 ? nul : Line.size();
    const auto at = [&](qsizetype i) { return i < end ? Line[i] : QChar(0); };
    const auto endsWord = [](QChar c) {
        return c == QChar(0) || c == u'\t' || c == u' ' || c == u'(' || c == u')';
    };

    qsizetype p = 0;
    if (at(p) != u'[')
        return false;
    ++p;
    if (endsWord(at(p)))
        return false;
    const qsizetype commandStart = p;
    while (!endsWord(at(p)))
        ++p;
    const QString command = Line.mid(commandStart, p - commandStart);
    if (at(p) != u'(')
        return false;
    ++p;

    QString argument;
    if (at(p) == u'"') {
        ++p;
        const qsizetype argumentStart = p;
        while (at(p) != u'"') {
            if (p >= end)
                return false;
            ++p;
        }
        argument = Line.mid(argumentStart, p - argumentStart);
        ++p;
    }
    if (at(p) != u')')
        return false;
    ++p;
    if (at(p) != u']')
        return false;

    Command = command;
    Argument = argument;
    return true;
}

QString OpenMacroLine(const QString &Path)
{
    // A request has no escape for a double quote, and a line break would split it in two.
    if (Path.contains(u'"') || Path.contains(u'\n') || Path.contains(u'\r') || Path.contains(QChar(0)))
        return QString();
    return QStringLiteral("[open(\"%1\")]").arg(Path);
}

QString ActivateMacroLine() { return QStringLiteral("[activate()]"); }

QString MacroServiceName()
{
    const QString name = QFileInfo(QCoreApplication::applicationFilePath()).fileName();
    const QString service = name.section(u'.', 0, 0);
    return service.isEmpty() ? QStringLiteral("quillo") : service;
}

namespace {
// A folder only this user can enter: nobody else can reach a socket inside it, nor plant one there.
bool IsPrivateFolder(const QString &Path)
{
    struct stat st {};
    if (::lstat(QFile::encodeName(Path).constData(), &st) != 0)
        return false;
    return S_ISDIR(st.st_mode) && st.st_uid == ::getuid() && (st.st_mode & 077) == 0;
}

// The user's runtime folder when the session provides a proper one, else a private folder of our own
// in the temporary folder.
QString PrivateRuntimeFolder(const QString &Service)
{
    const QString runtime = qEnvironmentVariable("XDG_RUNTIME_DIR");
    if (QDir::isAbsolutePath(runtime) && IsPrivateFolder(runtime))
        return QDir::cleanPath(runtime);
    const QString own = QDir::tempPath() + QStringLiteral("/%1-%2").arg(Service).arg(::getuid());
    ::mkdir(QFile::encodeName(own).constData(), 0700); // it may exist already; checked below
    return IsPrivateFolder(own) ? own : QString();
}

bool SameUser(QLocalSocket *Client)
{
#ifdef SO_PEERCRED
    struct ucred peer {};
    socklen_t size = sizeof peer;
    if (::getsockopt(int(Client->socketDescriptor()), SOL_SOCKET, SO_PEERCRED, &peer, &size) != 0)
        return false;
    return peer.uid == ::getuid();
#else
    Q_UNUSED(Client);
    return true; // the socket's folder and file permissions already keep other users out
#endif
}

bool InstanceAnswers(const QString &Path)
{
    QLocalSocket probe;
    probe.connectToServer(Path);
    const bool answers = probe.waitForConnected(1000);
    probe.abort();
    return answers;
}

// The server's answer to a request it has taken whole.
constexpr char Acknowledgement[] = "ok";

// One client connection: collects its bytes into lines until the request is complete, then finishes
// with the connection before the server carries the request out. A client that takes longer than the
// deadline in all, or sends a line no file name could need, is cut off.
class TMacroClient : public QObject {
public:
    TMacroClient(QLocalSocket *Socket, Tddemacroserver *Server) : QObject(Server), FSocket(Socket), FServer(Server)
    {
        Socket->setParent(this);
        Socket->setReadBufferSize(Tddemacroserver::MaxLineLength);
        // An overall deadline, not an idle one: a client dripping a byte now and then cannot hold
        // a connection for long.
        FDeadline.setSingleShot(true);
        FDeadline.setInterval(Tddemacroserver::RequestDeadlineMs);
        connect(&FDeadline, &QTimer::timeout, this, [this] {
            Read(); // what arrived while the program was busy still counts
            Complete(false);
        });
        connect(Socket, &QLocalSocket::readyRead, this, [this] { Read(); });
        connect(Socket, &QLocalSocket::disconnected, this, [this] { Closed(); });
        FDeadline.start();
    }

    // Whether the connection still counts against the server's limit.
    bool Active() const { return !FDone; }

private:
    void Read()
    {
        if (FDone)
            return;
        FPending += FSocket->readAll();
        qsizetype start = 0;
        for (qsizetype nl = FPending.indexOf('\n'); nl >= 0; nl = FPending.indexOf('\n', start)) {
            QByteArray line = FPending.mid(start, nl - start);
            start = nl + 1;
            if (line.endsWith('\r'))
                line.chop(1);
            if (line.isEmpty()) {
                Complete(true); // the empty line ends the request
                return;
            }
            TakeLine(line);
        }
        FPending.remove(0, start);
        if (FPending.size() > Tddemacroserver::MaxLineLength)
            Drop(); // a flooding client gets nothing, not even the good lines before the endless one
    }

    // The client closed its end: its last (or only) line may come without a line end.
    void Closed()
    {
        if (FDone)
            return;
        FPending += FSocket->readAll();
        for (QByteArray line : FPending.split('\n')) {
            if (line.endsWith('\r'))
                line.chop(1);
            if (line.isEmpty())
                break;
            TakeLine(line);
        }
        FPending.clear();
        Complete(false);
    }

    void TakeLine(const QByteArray &Line)
    {
        if (Line.size() <= Tddemacroserver::MaxLineLength)
            FLines << QFile::decodeName(Line);
    }

    // The request is over: the client learns it was taken (when it still listens), the connection
    // ends, and the lines wait in the server's queue for the event loop.
    void Complete(bool Acknowledge)
    {
        if (FDone)
            return;
        if (Acknowledge && FSocket->state() == QLocalSocket::ConnectedState) {
            FSocket->write(QByteArray(Acknowledgement) + '\n');
            FSocket->flush();
        }
        const QStringList lines = FLines;
        Drop();
        if (!lines.isEmpty() && FServer)
            FServer->QueueMacro(lines);
    }

    // Ends the connection; the object goes away once control is back in the event loop.
    void Drop()
    {
        FDone = true;
        FLines.clear();
        FDeadline.stop();
        FSocket->disconnect(this);
        FSocket->disconnectFromServer();
        FSocket->abort();
        deleteLater();
    }

    QLocalSocket *FSocket;
    QPointer<Tddemacroserver> FServer;
    QTimer FDeadline;
    QByteArray FPending;
    QStringList FLines;
    bool FDone = false;
};

int ActiveClients(const QObject *Server)
{
    int count = 0;
    for (const QObject *child : Server->children())
        if (const auto *client = dynamic_cast<const TMacroClient *>(child); client && client->Active())
            ++count;
    return count;
}
} // namespace

Tddemacroserver::Tddemacroserver(QObject *Owner, const QString &Topic) : QObject(Owner)
{
    setObjectName(Topic);
}

Tddemacroserver::~Tddemacroserver() = default;

QString Tddemacroserver::SocketPath(const QString &Service, const QString &Topic)
{
    QString name = Service + u'-' + Topic;
    // One instance a screen: a file opened from a terminal of one display (a second session, a
    // remote desktop) must not go to the window on another.
    const QString screen = qEnvironmentVariable("WAYLAND_DISPLAY") + u'_' + qEnvironmentVariable("DISPLAY");
    if (screen != QLatin1String("_"))
        name += u'-' + screen;
    name.replace(u'/', u'_');
    const QString folder = PrivateRuntimeFolder(Service);
    return folder.isEmpty() ? QString() : folder + u'/' + name;
}

bool Tddemacroserver::IsListening() const { return FServer && FServer->isListening(); }

bool Tddemacroserver::Listen(const QString &Service)
{
    if (IsListening())
        return true;
    const QString path = SocketPath(Service, objectName());
    if (path.isEmpty())
        return false;

    // Two programs started at the same moment must not both take the name, so the question "does
    // an instance answer?" and the listening happen under one lock.
    QLockFile lock(path + QStringLiteral(".lock"));
    if (!lock.tryLock(3000))
        return false;
    FOtherInstance = InstanceAnswers(path);
    if (FOtherInstance)
        return false;
    // Nobody answers: a socket still there was left by an instance that ended abruptly.
    QLocalServer::removeServer(path);

    auto *server = new QLocalServer(this);
    server->setSocketOptions(QLocalServer::UserAccessOption);
    server->setMaxPendingConnections(MaxConnections);
    if (!server->listen(path)) {
        delete server;
        return false;
    }
    connect(server, &QLocalServer::newConnection, this, &Tddemacroserver::AcceptConnections);
    FServer = server;
    return true;
}

void Tddemacroserver::AcceptConnections()
{
    while (QLocalSocket *socket = FServer->nextPendingConnection()) {
        if (!SameUser(socket) || ActiveClients(this) >= MaxConnections) {
            socket->abort();
            socket->deleteLater();
            continue;
        }
        new TMacroClient(socket, this);
    }
}

void Tddemacroserver::ExecuteMacro(const QStringList &Lines)
{
    const QPointer<Tddemacroserver> alive(this);
    for (const QString &line : Lines) {
        QString command;
        QString argument;
        if (ParseMacro(line, command, argument))
            emit Onmacro(command, argument);
        if (!alive)
            return; // the owner went away while handling a request
    }
}

void Tddemacroserver::QueueMacro(const QStringList &Lines)
{
    FQueue << Lines;
    if (FRunScheduled)
        return;
    FRunScheduled = true;
    QMetaObject::invokeMethod(this, &Tddemacroserver::RunQueued, Qt::QueuedConnection);
}

void Tddemacroserver::RunQueued()
{
    FRunScheduled = false;
    // A request that shows a message box lets the event loop run again; the requests that come in
    // meanwhile wait for it, so they are carried out one after the other, in order.
    if (FRunning)
        return;
    FRunning = true;
    const QPointer<Tddemacroserver> alive(this);
    // A request that fails with an error the application reports must not stop the ones after it.
    const auto done = qScopeGuard([&alive] {
        if (alive)
            alive->FRunning = false;
    });
    while (!FQueue.isEmpty()) {
        ExecuteMacro(FQueue.takeFirst());
        if (!alive)
            return;
    }
}

namespace {
enum class TSendResult { Taken, Busy, Failed };

// One attempt at a request: Busy when the instance ended the connection without taking it (all its
// connections in use), Failed when nobody answers or the time is up.
TSendResult SendRequestOnce(const QString &Path, const QByteArray &Data, const QDeadlineTimer &Deadline)
{
    const auto remaining = [&Deadline] { return int(qMax<qint64>(1, Deadline.remainingTime())); };
    QLocalSocket socket;
    socket.connectToServer(Path);
    if (!socket.waitForConnected(remaining()))
        return TSendResult::Failed;
    socket.write(Data);
    while (socket.bytesToWrite() > 0 && socket.state() == QLocalSocket::ConnectedState)
        if (Deadline.hasExpired() || !socket.waitForBytesWritten(remaining()))
            break;
    QByteArray answer;
    while (!answer.contains('\n')) {
        answer += socket.readAll();
        if (answer.contains('\n'))
            break;
        if (socket.state() != QLocalSocket::ConnectedState)
            return TSendResult::Busy;
        if (Deadline.hasExpired())
            return TSendResult::Failed;
        socket.waitForReadyRead(remaining());
    }
    socket.abort();
    return answer.left(answer.indexOf('\n')).trimmed() == Acknowledgement ? TSendResult::Taken : TSendResult::Failed;
}
} // namespace

bool SendMacroLines(const QStringList &Lines, const QString &Service, const QString &Topic)
{
    const QString path = Tddemacroserver::SocketPath(Service, Topic);
    if (path.isEmpty())
        return false;
    QByteArray data;
    for (const QString &line : Lines)
        data += QFile::encodeName(line) + '\n';
    data += '\n'; // the request ends here

    const QDeadlineTimer deadline(HandOverDeadlineMs);
    for (;;) {
        switch (SendRequestOnce(path, data, deadline)) {
        case TSendResult::Taken: return true;
        case TSendResult::Failed: return false;
        case TSendResult::Busy: break;
        }
        if (deadline.hasExpired())
            return false;
        // Connections held by others end within the server's deadline; ask again shortly.
        QThread::msleep(100);
    }
}

bool HandOverToRunningInstance(const QStringList &Files, Tddemacroserver &Server, const QString &Service)
{
    if (Server.Listen(Service))
        return false;
    // A start with nothing to open brings the running window forward instead of starting a second
    // program that would later write its own settings over the first one's.
    if (Files.isEmpty())
        return SendMacroLines({ActivateMacroLine()}, Service, Server.objectName());
    QStringList lines;
    for (const QString &file : Files) {
        const QString line = OpenMacroLine(QDir::cleanPath(QFileInfo(file).absoluteFilePath()));
        if (line.isEmpty())
            return false;
        lines << line;
    }
    return SendMacroLines(lines, Service, Server.objectName());
}
