#pragma once

#include "startup/CommandLine.h"

#include <QByteArray>
#include <QObject>
#include <QString>

#include <optional>

class QLocalServer;
class QLocalSocket;
class RequestQueue;

// How a start hands its request to the program that runs already: through a
// local socket in the user's private runtime folder. The later start sends
// one request and waits; the running program answers once it shows it (after
// its password prompt, when no modal window is in the way). A start whose
// connection closes without the answer goes on by itself.
namespace HandOver {

enum class Outcome {
    Taken,      // the running program has shown the request
    NoListener, // nothing listens on the socket
    Lost,       // the connection closed before the answer
};

// Sends the request and waits as long as the connection lasts.
Outcome send(const QString &socketPath, const ToolRequest &request);

// One request as it goes over the socket, and back; nullopt for anything
// that is not one complete request (too short, too long, another format).
QByteArray encode(const ToolRequest &request);
std::optional<ToolRequest> decode(const QByteArray &frame);
// The length of the frame at the start of `data` once all of it is there,
// 0 while more is to come, -1 when it cannot be a request.
qsizetype completeFrame(const QByteArray &data);

} // namespace HandOver

// The running program's side: listens on the socket (owner-only) and adds
// every request that arrives to the dashboard's queue; the answer goes back
// when the queue shows it.
class HandOverServer : public QObject
{
    Q_OBJECT

public:
    explicit HandOverServer(QObject *parent = nullptr);
    ~HandOverServer() override;

    // Listens on the path; a socket file left by a program that ended is
    // replaced, so call it only while holding the lock of the folder.
    bool listen(const QString &socketPath);
    void close();
    void setQueue(RequestQueue *queue) { m_queue = queue; }

private:
    void connectionArrived();
    void readFrom(QLocalSocket *socket);

    QLocalServer *m_server = nullptr;
    RequestQueue *m_queue = nullptr;
};
