#pragma once

#include "replay/replayserver.h"

#include <QByteArray>
#include <QObject>
#include <functional>
#include <optional>

class QTcpSocket;

// The parts of a request head the replay server acts on.
struct HttpRequest {
    QByteArray method;
    QByteArray target;
    bool keepAlive = true;
    qint64 contentLength = 0;
    // Accept-Encoding names gzip (with a weight above zero).
    bool acceptsGzip = false;
};

// What to send back for one request; the connection carries out the wire-level faults.
struct Answer {
    int status = 200;
    QByteArray contentType;
    QByteArray body;
    QList<QPair<QByteArray, QByteArray>> extraHeaders;
    int delayMs = 0;
    Fault fault = Fault::None;
    qint64 hugeBytes = 0;
};

// Parses a request line and headers (without the blank line); nullopt when they are not valid HTTP/1.x.
std::optional<HttpRequest> parseRequestHead(QByteArrayView head);

// One client connection: reads requests one after the other and writes their answers in order.
class HttpConnection : public QObject {
    Q_OBJECT
public:
    using Handler = std::function<Answer(const HttpRequest &)>;

    HttpConnection(QTcpSocket *socket, Handler handler, QObject *parent = nullptr);

private:
    enum class State { Idle, Answering, Stalled, Closing };

    void processInput();
    void deliver(const Answer &answer);
    void writeHead(const Answer &answer, qint64 contentLength);
    void pumpHugeBody();
    void finishAnswer();
    void rejectBadRequest();
    void resetConnection();

    QTcpSocket *m_socket;
    Handler m_handler;
    QByteArray m_input;
    State m_state = State::Idle;
    bool m_keepAlive = true;
    bool m_processing = false;
    qint64 m_bodyToSkip = 0;
    qint64 m_hugeSize = 0;
    qint64 m_hugeSent = 0;
};
