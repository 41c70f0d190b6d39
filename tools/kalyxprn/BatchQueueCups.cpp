// Cards through a CUPS queue or class with libcups: one job per card, followed to its end
// state, on this machine's scheduler or another one's over IPP.
#include "BatchDestination.h"

#include <cups/cups.h>

#include <chrono>
#include <thread>

namespace cli {

namespace {

constexpr const char* jobFormat = "application/vnd.kalyx-prn";
constexpr int connectTimeoutMs = 30000;
constexpr auto pollInterval = std::chrono::milliseconds(200);

struct Server {
    std::string host; // a name, an address or a domain socket's path
    int port = 631;
};

// "HOST[:PORT]", a socket path, or empty for CUPS_SERVER and the system's default.
Server serverFrom(const QString& text) {
    Server server;
    if (text.isEmpty()) {
        server.host = cupsServer();
        server.port = ippPort();
        return server;
    }
    server.host = text.toStdString();
    const int colon = text.lastIndexOf(QLatin1Char(':'));
    if (!text.startsWith(QLatin1Char('/')) && colon > 0) {
        bool ok = false;
        const int port = text.mid(colon + 1).toInt(&ok);
        if (ok && port > 0 && port < 65536) {
            server.host = text.left(colon).toStdString();
            server.port = port;
        }
    }
    return server;
}

// libcups keeps its server per thread, and some calls (cupsCreateJob looks the queue up) use it
// whatever connection they are given: each thread names the server before its first call.
void useServer(const Server& server) {
    if (!server.host.empty() && server.host[0] == '/')
        cupsSetServer(server.host.c_str());
    else
        cupsSetServer((server.host + ':' + std::to_string(server.port)).c_str());
}

struct HttpConnection {
    explicit HttpConnection(const Server& server) {
        useServer(server);
        http = httpConnect2(server.host.c_str(), server.port, nullptr, AF_UNSPEC, cupsEncryption(),
                            1, connectTimeoutMs, nullptr);
    }
    ~HttpConnection() {
        if (http)
            httpClose(http);
    }
    http_t* http = nullptr;
};

QString lastError() {
    return QString::fromUtf8(cupsLastErrorString());
}

QString serverName(const Server& server) {
    if (!server.host.empty() && server.host[0] == '/')
        return QString::fromStdString(server.host);
    return QStringLiteral("%1:%2").arg(QString::fromStdString(server.host)).arg(server.port);
}

// The attributes of one job or queue; nullptr with cupsLastErrorString() otherwise.
ipp_t* ask(http_t* http, ipp_t* request, const std::vector<const char*>& attributes) {
    ippAddString(request, IPP_TAG_OPERATION, IPP_TAG_NAME, "requesting-user-name", nullptr,
                 cupsUser());
    ippAddStrings(request, IPP_TAG_OPERATION, IPP_TAG_KEYWORD, "requested-attributes",
                  int(attributes.size()), nullptr, attributes.data());
    ipp_t* response = cupsDoRequest(http, request, "/");
    if (response && ippGetStatusCode(response) > IPP_STATUS_OK_CONFLICTING) {
        ippDelete(response);
        return nullptr;
    }
    return response;
}

class QueueDestination : public CardDestination {
public:
    QueueDestination(Server server, QString queue)
        : server_(std::move(server)), queue_(std::move(queue)) {}

    QString name() const override { return queue_; }

    Delivery deliver(const QByteArray& job, const QString& title,
                     const std::function<bool(const QJsonObject&)>& taken,
                     const std::atomic<bool>& stop) override {
        Delivery delivery;
        delivery.destinationBroken = true;
        if (!connection_ || !connection_->http)
            connection_ = std::make_unique<HttpConnection>(server_);
        http_t* http = connection_->http;
        if (!http) {
            connection_.reset();
            delivery.reason = QStringLiteral("cannot reach the scheduler at %1: %2")
                                  .arg(serverName(server_), lastError());
            return delivery;
        }
        const QByteArray queue = queue_.toUtf8();
        const int id =
            cupsCreateJob(http, queue.constData(), title.toUtf8().constData(), 0, nullptr);
        if (id == 0) {
            delivery.reason = QStringLiteral("the queue took no job: %1").arg(lastError());
            connection_.reset();
            return delivery;
        }
        bool complete = cupsStartDocument(http, queue.constData(), id, "card", jobFormat, 1) ==
                            HTTP_STATUS_CONTINUE &&
                        cupsWriteRequestData(http, job.constData(), std::size_t(job.size())) ==
                            HTTP_STATUS_CONTINUE;
        if (!complete) {
            // A job without its whole document never prints; say so to the scheduler too.
            delivery.reason =
                QStringLiteral("the job's data did not reach the scheduler: %1").arg(lastError());
            cupsFinishDocument(http, queue.constData());
            connection_.reset();
            HttpConnection again(server_);
            if (again.http)
                cupsCancelJob2(again.http, queue.constData(), id, 0);
            return delivery;
        }
        if (cupsFinishDocument(http, queue.constData()) > IPP_STATUS_OK_CONFLICTING) {
            delivery.outcome = Delivery::Uncertain;
            delivery.reason =
                QStringLiteral("the scheduler did not confirm job %1: %2").arg(id).arg(lastError());
            connection_.reset();
            return delivery;
        }
        delivery.details.insert(QStringLiteral("job"), id);
        delivery.outcome = Delivery::Sent;
        if (!taken(delivery.details))
            return delivery;
        delivery.destinationBroken = false;
        follow(id, delivery, stop);
        return delivery;
    }

private:
    // Waits for the job's end state: completed, or cancelled or aborted before or while printing.
    void follow(int id, Delivery& delivery, const std::atomic<bool>& stop) {
        char uri[HTTP_MAX_URI];
        httpAssembleURIf(HTTP_URI_CODING_ALL, uri, sizeof uri, "ipp", nullptr, "localhost", 0,
                         "/jobs/%d", id);
        bool started = false;
        while (!stop) {
            ipp_t* request = ippNewRequest(IPP_OP_GET_JOB_ATTRIBUTES);
            ippAddString(request, IPP_TAG_OPERATION, IPP_TAG_URI, "job-uri", nullptr, uri);
            ipp_t* response = ask(connection_->http, request,
                                  {"job-state", "job-printer-state-message", "time-at-processing"});
            if (!response) {
                // The job is the scheduler's now: it stays sent, but this queue is lost.
                delivery.reason = QStringLiteral("lost the scheduler while following job %1: %2")
                                      .arg(id)
                                      .arg(lastError());
                delivery.destinationBroken = true;
                connection_.reset();
                return;
            }
            const int state =
                ippGetInteger(ippFindAttribute(response, "job-state", IPP_TAG_ENUM), 0);
            ipp_attribute_t* processing =
                ippFindAttribute(response, "time-at-processing", IPP_TAG_INTEGER);
            started = started || state == IPP_JSTATE_PROCESSING ||
                      (processing && ippGetInteger(processing, 0) > 0);
            const char* message = ippGetString(
                ippFindAttribute(response, "job-printer-state-message", IPP_TAG_TEXT), 0, nullptr);
            const QString said = message ? QString::fromUtf8(message) : QString();
            ippDelete(response);
            if (state == IPP_JSTATE_COMPLETED) {
                delivery.outcome = Delivery::Completed;
                return;
            }
            if (state == IPP_JSTATE_CANCELED || state == IPP_JSTATE_ABORTED) {
                const QString how = state == IPP_JSTATE_CANCELED ? QStringLiteral("cancelled")
                                                                 : QStringLiteral("aborted");
                delivery.outcome = started ? Delivery::Uncertain : Delivery::Failed;
                delivery.reason = QStringLiteral("job %1 was %2 %3")
                                      .arg(id)
                                      .arg(how, started ? QStringLiteral("while printing")
                                                        : QStringLiteral("before it printed"));
                if (!said.isEmpty())
                    delivery.reason += QStringLiteral(" (%1)").arg(said);
                return;
            }
            std::this_thread::sleep_for(pollInterval);
        }
    }

    Server server_;
    QString queue_;
    std::unique_ptr<HttpConnection> connection_;
};

} // namespace

bool queuesAvailable() {
    return true;
}

int queueSlots(const QString& serverText, const QString& queue, QString& problem) {
    const Server server = serverFrom(serverText);
    HttpConnection connection(server);
    if (!connection.http) {
        problem = QStringLiteral("cannot reach the scheduler at %1: %2")
                      .arg(serverName(server), lastError());
        return 0;
    }
    char uri[HTTP_MAX_URI];
    httpAssembleURIf(HTTP_URI_CODING_ALL, uri, sizeof uri, "ipp", nullptr, "localhost", 0,
                     "/printers/%s", queue.toUtf8().constData());
    ipp_t* request = ippNewRequest(IPP_OP_GET_PRINTER_ATTRIBUTES);
    ippAddString(request, IPP_TAG_OPERATION, IPP_TAG_URI, "printer-uri", nullptr, uri);
    ipp_t* response = ask(connection.http, request, {"member-names", "printer-is-accepting-jobs"});
    if (!response) {
        problem =
            QStringLiteral("no queue '%1' at %2: %3").arg(queue, serverName(server), lastError());
        return 0;
    }
    ipp_attribute_t* members = ippFindAttribute(response, "member-names", IPP_TAG_NAME);
    ipp_attribute_t* accepting =
        ippFindAttribute(response, "printer-is-accepting-jobs", IPP_TAG_BOOLEAN);
    const int senders = members ? std::max(1, ippGetCount(members)) : 1;
    const bool accepts = !accepting || ippGetBoolean(accepting, 0);
    ippDelete(response);
    if (!accepts) {
        problem = QStringLiteral("the queue '%1' does not accept jobs").arg(queue);
        return 0;
    }
    return senders;
}

std::unique_ptr<CardDestination> queueDestination(const QString& server, const QString& queue) {
    return std::make_unique<QueueDestination>(serverFrom(server), queue);
}

} // namespace cli
