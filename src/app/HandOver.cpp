#include "HandOver.h"

#include "windows/RequestQueue.h"

#include <QDataStream>
#include <QIODevice>
#include <QLocalServer>
#include <QLocalSocket>
#include <QPointer>

#include <QtEndian>

namespace {

constexpr quint32 Magic = 0x564d4831; // "VMH1"
// Thousands of long names fit; anything larger is not a request.
constexpr qsizetype MaxFrame = 64 * 1024 * 1024;
constexpr char Answer = 'Y';
constexpr int ConnectMilliseconds = 1000;

} // namespace

namespace HandOver {

QByteArray encode(const ToolRequest &request)
{
    QByteArray body;
    QDataStream out(&body, QIODevice::WriteOnly);
    out.setVersion(QDataStream::Qt_6_0);
    out << Magic << static_cast<qint32>(request.tool) << request.files;
    QByteArray frame(4, '\0');
    qToBigEndian(static_cast<quint32>(body.size()), frame.data());
    return frame + body;
}

qsizetype completeFrame(const QByteArray &data)
{
    if (data.size() < 4)
        return 0;
    const qsizetype length = qFromBigEndian<quint32>(data.constData());
    if (length < 4 || length > MaxFrame)
        return -1;
    return data.size() >= 4 + length ? 4 + length : 0;
}

std::optional<ToolRequest> decode(const QByteArray &frame)
{
    if (completeFrame(frame) != frame.size())
        return std::nullopt;
    QDataStream in(frame.mid(4));
    in.setVersion(QDataStream::Qt_6_0);
    quint32 magic = 0;
    qint32 tool = -1;
    ToolRequest request;
    in >> magic >> tool >> request.files;
    if (in.status() != QDataStream::Ok || !in.atEnd() || magic != Magic)
        return std::nullopt;
    switch (tool) {
    case static_cast<qint32>(ToolRequest::Tool::Dashboard):
    case static_cast<qint32>(ToolRequest::Tool::Encrypt):
    case static_cast<qint32>(ToolRequest::Tool::SecureDelete):
        request.tool = static_cast<ToolRequest::Tool>(tool);
        return request;
    default:
        return std::nullopt;
    }
}

Outcome send(const QString &socketPath, const ToolRequest &request)
{
    QLocalSocket socket;
    socket.connectToServer(socketPath);
    if (!socket.waitForConnected(ConnectMilliseconds))
        return Outcome::NoListener;
    socket.write(encode(request));
    while (socket.bytesToWrite() > 0) {
        if (!socket.waitForBytesWritten(-1))
            return Outcome::Lost;
    }
    // The running program may be at its password prompt: wait for as long
    // as it keeps the connection.
    while (!socket.bytesAvailable()) {
        if (!socket.waitForReadyRead(-1))
            break;
    }
    return socket.read(1) == QByteArray(1, Answer) ? Outcome::Taken : Outcome::Lost;
}

} // namespace HandOver

HandOverServer::HandOverServer(QObject *parent)
    : QObject(parent)
{
}

HandOverServer::~HandOverServer()
{
    close();
}

bool HandOverServer::listen(const QString &socketPath)
{
    close();
    m_server = new QLocalServer(this);
    m_server->setSocketOptions(QLocalServer::UserAccessOption);
    connect(m_server, &QLocalServer::newConnection, this, &HandOverServer::connectionArrived);
    QLocalServer::removeServer(socketPath);
    if (m_server->listen(socketPath))
        return true;
    delete m_server;
    m_server = nullptr;
    return false;
}

void HandOverServer::close()
{
    if (m_server == nullptr)
        return;
    // Waiting starts see their connection close and go on by themselves.
    m_server->close();
    delete m_server;
    m_server = nullptr;
}

void HandOverServer::connectionArrived()
{
    while (QLocalSocket *socket = m_server->nextPendingConnection()) {
        socket->setParent(this);
        connect(socket, &QLocalSocket::disconnected, socket, &QObject::deleteLater);
        connect(socket, &QLocalSocket::readyRead, this, [this, socket] { readFrom(socket); });
        readFrom(socket);
    }
}

void HandOverServer::readFrom(QLocalSocket *socket)
{
    // One request per connection; it is read whole before anything is done.
    const QByteArray data = socket->peek(socket->bytesAvailable());
    const qsizetype length = HandOver::completeFrame(data);
    if (length == 0)
        return;
    const std::optional<ToolRequest> request =
        length < 0 ? std::nullopt : HandOver::decode(socket->read(length));
    if (!request || m_queue == nullptr) {
        socket->abort();
        return;
    }
    disconnect(socket, &QLocalSocket::readyRead, this, nullptr);
    QPointer<QLocalSocket> answerTo(socket);
    m_queue->add(*request, socket, [answerTo] {
        if (answerTo.isNull())
            return;
        answerTo->write(QByteArray(1, Answer));
        answerTo->flush();
        answerTo->disconnectFromServer();
    });
}
