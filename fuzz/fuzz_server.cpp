// Fuzz target: the server's request handling. The input is a request body, handed to
// TRpcDispatcher::Handle over a SQLite database made once in a temporary folder and filled with
// the demonstration data. Handle must never throw, and every reply must be a well-formed
// JSON-RPC 2.0 response: the request's id, either a result whose value and by-reference texts
// are tagged values the client reads (packets included), or an error with one of the protocol's
// codes and a message. A fuzzed request may be refused, but never make the database fail. A
// change that was applied is undone by putting the demonstration data back.

#include "fuzzsupport.h"

#include "server/database.h"
#include "server/demodata.h"
#include "server/migrations.h"
#include "server/rpcdispatcher.h"

#include "platform/errors.h"
#include "platform/packet.h"
#include "platform/variant.h"

#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QTemporaryDir>

#include <cstdlib>
#include <memory>

namespace {

struct TFuzzServer {
    QTemporaryDir dir;
    std::unique_ptr<TDatabase> database;
    std::unique_ptr<TRpcDispatcher> dispatcher;
};

TFuzzServer& Server()
{
    static TFuzzServer* server = [] {
        FuzzEnsureApplication();
        auto* s = new TFuzzServer;
        FUZZ_CHECK(s->dir.isValid(), QStringLiteral("no temporary folder"));
        s->database = std::make_unique<TDatabase>(TDatabaseConfig::FromText(s->dir.filePath(QStringLiteral("fuzz.db"))));
        TMigrations::Apply(*s->database);
        TDemoData::Fill(*s->database);
        // A copy of the demonstration data, put back after every change that was applied, so that
        // the seeds' groupings and splits keep meeting labels in their original state.
        s->database->Discard();
        FUZZ_CHECK(QFile::copy(s->dir.filePath(QStringLiteral("fuzz.db")), s->dir.filePath(QStringLiteral("demo.db"))),
                   QStringLiteral("cannot copy the demonstration database"));
        s->dispatcher = std::make_unique<TRpcDispatcher>(*s->database);
        // The run ends through exit(); the database folder goes with it.
        std::atexit([] { Server().dir.remove(); });
        return s;
    }();
    return *server;
}

void CheckPackets(const TVariant& value)
{
    if (value.kind() == TVariant::Kind::Packet) {
        try {
            (void)DataPacketFromJson(value.AsPacket());
        } catch (const EDatabaseError& e) {
            FUZZ_CHECK(false, QStringLiteral("the server answered a packet the client refuses: %1").arg(e.Message()));
        }
    } else if (value.kind() == TVariant::Kind::Array) {
        for (const TVariant& item : value.AsArray())
            CheckPackets(item);
    }
}

void CheckReply(const QByteArray& request, const TRpcDispatcher::TReply& reply)
{
    const QString body = QString::fromUtf8(reply.body);
    FUZZ_CHECK(!reply.method.isEmpty() && !reply.outcome.isEmpty(), QStringLiteral("reply without method or outcome"));
    // The method goes into the log line as one word.
    for (QChar c : reply.method)
        FUZZ_CHECK(!c.isSpace() && c.isPrint(), QStringLiteral("the log's method name holds a blank or a control character"));
    QJsonParseError error;
    const QJsonDocument doc = QJsonDocument::fromJson(reply.body, &error);
    FUZZ_CHECK(error.error == QJsonParseError::NoError && doc.isObject(), QStringLiteral("reply is not a JSON object: ") + body);
    const QJsonObject o = doc.object();
    FUZZ_CHECK(o.value(QStringLiteral("jsonrpc")) == QJsonValue(QStringLiteral("2.0")), QStringLiteral("no jsonrpc 2.0: ") + body);
    FUZZ_CHECK(o.contains(QStringLiteral("id")), QStringLiteral("reply without id: ") + body);
    const QJsonValue id = o.value(QStringLiteral("id"));
    FUZZ_CHECK(id.isNull() || id.isString() || id.isDouble(), QStringLiteral("reply id of a wrong kind: ") + body);

    // The reply carries the id of a request that had a usable one.
    const QJsonDocument asked = QJsonDocument::fromJson(request);
    if (asked.isObject()) {
        const QJsonValue askedId = asked.object().value(QStringLiteral("id"));
        if (askedId.isString() || askedId.isDouble())
            FUZZ_CHECK(id == askedId, QStringLiteral("reply id differs from the request's: ") + body);
    }

    const bool hasResult = o.contains(QStringLiteral("result")), hasError = o.contains(QStringLiteral("error"));
    FUZZ_CHECK(hasResult != hasError, QStringLiteral("reply needs exactly one of result and error: ") + body);
    if (hasError) {
        const QJsonObject e = o.value(QStringLiteral("error")).toObject();
        const QJsonValue code = e.value(QStringLiteral("code"));
        const int c = code.toInt();
        FUZZ_CHECK(code.isDouble() && (c == -32700 || c == -32600 || c == -32601 || c == -32602 || c == -32000),
                   QStringLiteral("error code outside the protocol: ") + body);
        FUZZ_CHECK(e.value(QStringLiteral("message")).isString() && !e.value(QStringLiteral("message")).toString().isEmpty(),
                   QStringLiteral("error without message: ") + body);
        FUZZ_CHECK(c != -32000, QStringLiteral("a request made the server fail: ") + body);
        return;
    }
    const QJsonObject result = o.value(QStringLiteral("result")).toObject();
    FUZZ_CHECK(result.value(QStringLiteral("byRef")).isObject(), QStringLiteral("result without byRef: ") + body);
    TVariant value;
    try {
        value = TVariant::FromJson(result.value(QStringLiteral("value")));
    } catch (const EConvertError& e) {
        FUZZ_CHECK(false, QStringLiteral("result value is no tagged value (%1): %2").arg(e.Message(), body));
    }
    CheckPackets(value);
    const QJsonObject byRef = result.value(QStringLiteral("byRef")).toObject();
    for (auto it = byRef.constBegin(); it != byRef.constEnd(); ++it) {
        bool isIndex = false;
        (void)it.key().toInt(&isIndex);
        FUZZ_CHECK(isIndex, QStringLiteral("byRef key is no argument index: ") + body);
        try {
            FUZZ_CHECK(TVariant::FromJson(it.value()).kind() == TVariant::Kind::String,
                       QStringLiteral("byRef value is no text: ") + body);
        } catch (const EConvertError&) {
            FUZZ_CHECK(false, QStringLiteral("byRef value is no tagged value: ") + body);
        }
    }
}

void RestoreDemoData(TFuzzServer& server)
{
    server.database->Discard();
    for (const char* suffix : {"", "-wal", "-shm"})
        QFile::remove(server.dir.filePath(QStringLiteral("fuzz.db") + QLatin1String(suffix)));
    FUZZ_CHECK(QFile::copy(server.dir.filePath(QStringLiteral("demo.db")), server.dir.filePath(QStringLiteral("fuzz.db"))),
               QStringLiteral("cannot restore the demonstration database"));
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***)
{
    (void)Server();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const QByteArray request = FuzzBytes(data, size);
    TFuzzServer& server = Server();
    TRpcDispatcher::TReply reply;
    try {
        reply = server.dispatcher->Handle(request, QStringLiteral("127.0.0.1"));
    } catch (const std::exception& e) {
        FUZZ_CHECK(false, QStringLiteral("Handle threw: %1").arg(QString::fromUtf8(e.what())));
    } catch (...) {
        FUZZ_CHECK(false, QStringLiteral("Handle threw something that is no exception"));
    }
    CheckReply(request, reply);
    // EST_FUZZ_VERBOSE=1 shows each reply, for replaying an input by hand.
    static const bool verbose = qEnvironmentVariableIsSet("EST_FUZZ_VERBOSE");
    if (verbose)
        std::fprintf(stderr, "%s %s\n%s\n", qPrintable(reply.method), qPrintable(reply.outcome), reply.body.left(300).constData());
    if (reply.method == QLatin1String("setEtiqueta") && reply.outcome == QLatin1String("ok"))
        RestoreDemoData(server);
    return 0;
}
