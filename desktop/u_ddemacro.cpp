#include "u_ddemacro.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLocalServer>
#include <QLocalSocket>
#include <QLockFile>
#include <QPointer>
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

// One client connection: collects its bytes into lines, and ends it when it is silent for too long or
// sends a line no file name could need.
class TMacroClient : public QObject {
public:
    TMacroClient(QLocalSocket *Socket, Tddemacroserver *Server) : QObject(Server), FSocket(Socket), FServer(Server)
    {
        Socket->setParent(this);
        Socket->setReadBufferSize(Tddemacroserver::MaxLineLength);
        FIdle.setSingleShot(true);
        FIdle.setInterval(Tddemacroserver::IdleTimeoutMs);
        connect(&FIdle, &QTimer::timeout, this, [this] { Drop(); });
        connect(Socket, &QLocalSocket::readyRead, this, [this] { Read(); });
        connect(Socket, &QLocalSocket::disconnected, this, [this] { Finish(); });
        FIdle.start();
    }

private:
    void Read()
    {
        if (FDone)
            return;
        FIdle.start();
        FPending += FSocket->readAll();
        QStringList lines;
        qsizetype start = 0;
        for (qsizetype nl = FPending.indexOf('\n'); nl >= 0; nl = FPending.indexOf('\n', start)) {
            TakeLine(FPending.mid(start, nl - start), lines);
            start = nl + 1;
        }
        FPending.remove(0, start);
        if (FPending.size() > Tddemacroserver::MaxLineLength) {
            Drop();
            return; // the lines before the endless one were good, but a flooding client gets nothing
        }
        Deliver(lines);
    }

    void Finish()
    {
        if (FDone)
            return;
        FPending += FSocket->readAll();
        QStringList lines;
        // A client may send its last (or only) request without a line end.
        for (const QByteArray &line : FPending.split('\n'))
            TakeLine(line, lines);
        FPending.clear();
        Drop();
        Deliver(lines);
    }

    void TakeLine(QByteArray Line, QStringList &Lines)
    {
        if (Line.endsWith('\r'))
            Line.chop(1);
        if (!Line.isEmpty() && Line.size() <= Tddemacroserver::MaxLineLength)
            Lines << QFile::decodeName(Line);
    }

    // Ends the connection; the object goes away once control is back in the event loop.
    void Drop()
    {
        FDone = true;
        FIdle.stop();
        FSocket->disconnect(this);
        FSocket->abort();
        deleteLater();
    }

    // Last step of every handler: the requests may open windows and message boxes, which run events
    // of their own while this connection is already finished with.
    void Deliver(const QStringList &Lines)
    {
        if (!Lines.isEmpty() && FServer)
            FServer->ExecuteMacro(Lines);
    }

    QLocalSocket *FSocket;
    QPointer<Tddemacroserver> FServer;
    QTimer FIdle;
    QByteArray FPending;
    bool FDone = false;
};
} // namespace

Tddemacroserver::Tddemacroserver(QObject *Owner, const QString &Topic) : QObject(Owner)
{
    setObjectName(Topic);
}

Tddemacroserver::~Tddemacroserver() = default;

QString Tddemacroserver::SocketPath(const QString &Service, const QString &Topic)
{
    QString name = Service + u'-' + Topic;
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
    if (InstanceAnswers(path))
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
        if (!SameUser(socket) || findChildren<TMacroClient *>(Qt::FindDirectChildrenOnly).size() >= MaxConnections) {
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

bool SendMacroLines(const QStringList &Lines, const QString &Service, const QString &Topic)
{
    const QString path = Tddemacroserver::SocketPath(Service, Topic);
    if (path.isEmpty())
        return false;
    QLocalSocket socket;
    socket.connectToServer(path);
    if (!socket.waitForConnected(2000))
        return false;
    QByteArray data;
    for (const QString &line : Lines)
        data += QFile::encodeName(line) + '\n';
    if (socket.write(data) != data.size())
        return false;
    while (socket.bytesToWrite() > 0)
        if (!socket.waitForBytesWritten(2000))
            return false;
    socket.disconnectFromServer();
    if (socket.state() != QLocalSocket::UnconnectedState)
        socket.waitForDisconnected(1000);
    return true;
}

bool HandOverToRunningInstance(const QStringList &Files, Tddemacroserver &Server, const QString &Service)
{
    if (Server.Listen(Service) || Files.isEmpty())
        return false;
    QStringList lines;
    for (const QString &file : Files) {
        const QString line = OpenMacroLine(QDir::cleanPath(QFileInfo(file).absoluteFilePath()));
        if (line.isEmpty())
            return false;
        lines << line;
    }
    return SendMacroLines(lines, Service, Server.objectName());
}
