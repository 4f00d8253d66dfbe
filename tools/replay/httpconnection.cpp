#include "replay/httpconnection.h"

#include <QTcpSocket>
#include <QTimer>
#include <algorithm>
#include <sys/socket.h>

namespace {

constexpr qsizetype maxHeadSize = 64 * 1024;
constexpr qsizetype maxTargetSize = 8 * 1024;
constexpr qsizetype maxMethodSize = 32;
constexpr qint64 maxRequestBody = 1024 * 1024;
constexpr qint64 hugeChunkSize = 256 * 1024;
constexpr qint64 hugeHighWater = 1024 * 1024;

bool isTokenChar(char c)
{
    if ((c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9')) return true;
    return QByteArrayView("!#$%&'*+-.^_`|~").contains(c);
}

bool isToken(QByteArrayView text)
{
    return !text.isEmpty() && std::all_of(text.begin(), text.end(), isTokenChar);
}

struct HeadEnd {
    qsizetype headLength;
    qsizetype consumed;
};

// Finds the blank line after the headers; bare LF line ends are accepted as well as CRLF.
std::optional<HeadEnd> findHeadEnd(const QByteArray &input)
{
    const qsizetype crlf = input.indexOf("\n\r\n");
    const qsizetype lf = input.indexOf("\n\n");
    if (crlf < 0 && lf < 0) return std::nullopt;
    if (lf < 0 || (crlf >= 0 && crlf < lf)) return HeadEnd { crlf, crlf + 3 };
    return HeadEnd { lf, lf + 2 };
}

// Lets a request that cannot become valid (a TLS hello, say) fail at once instead of when the head limit is hit.
bool couldStartRequest(const QByteArray &input)
{
    const qsizetype space = input.indexOf(' ');
    const QByteArrayView method = QByteArrayView(input).first(space < 0 ? input.size() : space);
    if (method.size() > maxMethodSize) return false;
    if (!std::all_of(method.begin(), method.end(), isTokenChar)) return false;
    return space != 0;
}

QByteArray reasonPhrase(int status)
{
    switch (status) {
    case 200:
        return "OK";
    case 201:
        return "Created";
    case 204:
        return "No Content";
    case 301:
        return "Moved Permanently";
    case 302:
        return "Found";
    case 304:
        return "Not Modified";
    case 400:
        return "Bad Request";
    case 401:
        return "Unauthorized";
    case 403:
        return "Forbidden";
    case 404:
        return "Not Found";
    case 405:
        return "Method Not Allowed";
    case 429:
        return "Too Many Requests";
    case 500:
        return "Internal Server Error";
    case 502:
        return "Bad Gateway";
    case 503:
        return "Service Unavailable";
    case 504:
        return "Gateway Timeout";
    default:
        return "Status";
    }
}

// "gzip" and "gzip;q=0.5" accept it, "gzip;q=0" refuses it.
bool namesGzip(const QByteArray &acceptEncoding)
{
    for (const QByteArray &item : acceptEncoding.split(',')) {
        const QList<QByteArray> parts = item.split(';');
        if (parts.at(0).trimmed().toLower() != "gzip") continue;
        bool weighted = true;
        for (qsizetype i = 1; i < parts.size(); ++i) {
            const QByteArray parameter = parts.at(i).trimmed().toLower();
            if (parameter.startsWith("q=")) weighted = parameter.sliced(2).toDouble() > 0;
        }
        if (weighted) return true;
    }
    return false;
}

} // namespace

std::optional<HttpRequest> parseRequestHead(QByteArrayView head)
{
    QList<QByteArrayView> lines;
    for (qsizetype start = 0; start <= head.size();) {
        qsizetype end = head.indexOf('\n', start);
        if (end < 0) end = head.size();
        QByteArrayView line = head.sliced(start, end - start);
        if (line.endsWith('\r')) line.chop(1);
        lines.append(line);
        start = end + 1;
    }

    const QByteArrayView requestLine = lines.first();
    const qsizetype firstSpace = requestLine.indexOf(' ');
    const qsizetype lastSpace = requestLine.lastIndexOf(' ');
    if (firstSpace <= 0 || lastSpace == firstSpace) return std::nullopt;
    const QByteArrayView method = requestLine.first(firstSpace);
    const QByteArrayView target = requestLine.sliced(firstSpace + 1, lastSpace - firstSpace - 1);
    const QByteArrayView version = requestLine.sliced(lastSpace + 1);
    if (method.size() > maxMethodSize || !isToken(method)) return std::nullopt;
    if (!target.startsWith('/') || target.size() > maxTargetSize) return std::nullopt;
    if (std::any_of(target.begin(), target.end(), [](char c) { return c <= ' ' || c == '\x7f'; })) return std::nullopt;
    if (version != "HTTP/1.1" && version != "HTTP/1.0") return std::nullopt;

    HttpRequest request;
    request.method = method.toByteArray();
    request.target = target.toByteArray();
    bool closeRequested = false;
    bool keepAliveRequested = false;
    bool haveContentLength = false;
    for (qsizetype i = 1; i < lines.size(); ++i) {
        const QByteArrayView line = lines.at(i);
        const qsizetype colon = line.indexOf(':');
        if (colon <= 0 || !isToken(line.first(colon))) return std::nullopt;
        const QByteArray name = line.first(colon).toByteArray().toLower();
        const QByteArray value = line.sliced(colon + 1).trimmed().toByteArray();
        if (name == "connection") {
            for (const QByteArray &option : value.split(',')) {
                const QByteArray token = option.trimmed().toLower();
                closeRequested = closeRequested || token == "close";
                keepAliveRequested = keepAliveRequested || token == "keep-alive";
            }
        } else if (name == "content-length") {
            bool ok = false;
            const qint64 length = value.toLongLong(&ok);
            const bool digitsOnly
                = std::all_of(value.begin(), value.end(), [](char c) { return c >= '0' && c <= '9'; });
            if (!ok || !digitsOnly || length > maxRequestBody) return std::nullopt;
            if (haveContentLength && length != request.contentLength) return std::nullopt;
            haveContentLength = true;
            request.contentLength = length;
        } else if (name == "accept-encoding") {
            request.acceptsGzip = request.acceptsGzip || namesGzip(value);
        } else if (name == "transfer-encoding") {
            // Nothing this server stands in for takes request bodies, so chunked uploads are refused.
            return std::nullopt;
        }
    }
    request.keepAlive = !closeRequested && (version == "HTTP/1.1" || keepAliveRequested);
    return request;
}

HttpConnection::HttpConnection(QTcpSocket *socket, Handler handler, QObject *parent)
    : QObject(parent)
    , m_socket(socket)
    , m_handler(std::move(handler))
{
    m_socket->setParent(this);
    // Bounds what a client can queue up while an answer is pending.
    m_socket->setReadBufferSize(maxHeadSize + maxRequestBody);
    connect(m_socket, &QTcpSocket::readyRead, this, [this] {
        if (m_state == State::Idle) processInput();
    });
    connect(m_socket, &QTcpSocket::bytesWritten, this, [this] {
        if (m_hugeSent < m_hugeSize) pumpHugeBody();
    });
    connect(m_socket, &QTcpSocket::disconnected, this, &QObject::deleteLater);
}

void HttpConnection::processInput()
{
    if (m_processing) return;
    m_processing = true;
    while (m_state == State::Idle) {
        m_input += m_socket->readAll();
        if (m_bodyToSkip > 0) {
            const qsizetype skipped = std::min<qsizetype>(m_bodyToSkip, m_input.size());
            m_input.remove(0, skipped);
            m_bodyToSkip -= skipped;
            if (m_bodyToSkip > 0) break;
        }
        // Empty lines before a request line are allowed.
        qsizetype blank = 0;
        while (blank < m_input.size() && (m_input.at(blank) == '\r' || m_input.at(blank) == '\n'))
            ++blank;
        m_input.remove(0, blank);
        if (m_input.isEmpty()) break;

        const auto end = findHeadEnd(m_input);
        if (!end) {
            if (m_input.size() > maxHeadSize || !couldStartRequest(m_input)) rejectBadRequest();
            break;
        }
        const auto request = end->headLength <= maxHeadSize
            ? parseRequestHead(QByteArrayView(m_input).first(end->headLength))
            : std::nullopt;
        m_input.remove(0, end->consumed);
        if (!request) {
            rejectBadRequest();
            break;
        }

        m_keepAlive = request->keepAlive;
        m_bodyToSkip = request->contentLength;
        m_state = State::Answering;
        const Answer answer = m_handler(*request);
        if (answer.delayMs > 0)
            QTimer::singleShot(answer.delayMs, this, [this, answer] { deliver(answer); });
        else
            deliver(answer);
    }
    m_processing = false;
}

void HttpConnection::deliver(const Answer &answer)
{
    switch (answer.fault) {
    case Fault::Stall:
        m_state = State::Stalled;
        return;
    case Fault::Reset:
        resetConnection();
        return;
    case Fault::Truncate:
        writeHead(answer, answer.body.size());
        m_socket->write(answer.body.first(answer.body.size() / 2));
        m_state = State::Closing;
        m_socket->disconnectFromHost();
        return;
    case Fault::Huge:
        m_hugeSize = answer.hugeBytes;
        m_hugeSent = 0;
        writeHead(answer, m_hugeSize);
        pumpHugeBody();
        return;
    case Fault::None:
    case Fault::Html500:
    case Fault::MalformedJson:
        writeHead(answer, answer.body.size());
        m_socket->write(answer.body);
        finishAnswer();
        return;
    }
}

void HttpConnection::writeHead(const Answer &answer, qint64 contentLength)
{
    QByteArray head = "HTTP/1.1 " + QByteArray::number(answer.status) + ' ' + reasonPhrase(answer.status) + "\r\n";
    head += "Server: baselark-replay\r\n";
    if (!answer.contentType.isEmpty()) head += "Content-Type: " + answer.contentType + "\r\n";
    head += "Content-Length: " + QByteArray::number(contentLength) + "\r\n";
    for (const auto &[name, value] : answer.extraHeaders)
        head += name + ": " + value + "\r\n";
    head += m_keepAlive ? "Connection: keep-alive\r\n\r\n" : "Connection: close\r\n\r\n";
    m_socket->write(head);
}

// Writes the huge body a little ahead of the socket so it is never held in memory.
void HttpConnection::pumpHugeBody()
{
    static const QByteArray prefix = "{\"dates\":[";
    static const QByteArray suffix = "]}";
    while (m_hugeSent < m_hugeSize && m_socket->bytesToWrite() < hugeHighWater) {
        const qint64 size = std::min(hugeChunkSize, m_hugeSize - m_hugeSent);
        QByteArray chunk(size, ' ');
        const auto overlay = [&](const QByteArray &text, qint64 at) {
            for (qint64 i = std::max(at, m_hugeSent); i < std::min(at + text.size(), m_hugeSent + size); ++i)
                chunk[i - m_hugeSent] = text.at(i - at);
        };
        overlay(prefix, 0);
        // The whole body is valid JSON when it is long enough to hold both ends.
        if (m_hugeSize >= prefix.size() + suffix.size()) overlay(suffix, m_hugeSize - suffix.size());
        m_socket->write(chunk);
        m_hugeSent += size;
    }
    if (m_hugeSent == m_hugeSize) {
        m_hugeSize = 0;
        m_hugeSent = 0;
        finishAnswer();
    }
}

void HttpConnection::finishAnswer()
{
    if (!m_keepAlive) {
        m_state = State::Closing;
        m_socket->disconnectFromHost();
        return;
    }
    m_state = State::Idle;
    processInput();
}

void HttpConnection::rejectBadRequest()
{
    Answer answer;
    answer.status = 400;
    answer.contentType = "text/plain;charset=UTF-8";
    answer.body = "Bad Request\n";
    m_keepAlive = false;
    m_state = State::Answering;
    deliver(answer);
}

void HttpConnection::resetConnection()
{
    // A zero linger time makes close() send RST instead of FIN.
    const linger abortive { 1, 0 };
    ::setsockopt(static_cast<int>(m_socket->socketDescriptor()), SOL_SOCKET, SO_LINGER, &abortive, sizeof abortive);
    m_state = State::Closing;
    m_socket->abort();
}
