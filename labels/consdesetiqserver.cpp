#include "labels/consdesetiqserver.h"

#include "labels/messagetables.h"
#include "labels/setetiquetaerror.h"

namespace {

constexpr int kReceivingKind = 1;
constexpr int kUpdatingKind = 6;

// Keeps the progress animation up for the lifetime of the scope, so that it is ended on every
// way out of a call, exceptions included.
class TProgressScope {
public:
    TProgressScope(TCallProgress& progress, int kind, const char* captionKey) : progress_(progress)
    {
        progress_.Begin(kind, MensagemDe(MensagensConsulta(), QString::fromLatin1(captionKey)));
    }
    ~TProgressScope() { progress_.End(); }
    TProgressScope(const TProgressScope&) = delete;
    TProgressScope& operator=(const TProgressScope&) = delete;

private:
    TCallProgress& progress_;
};

// Element `index` of a reply, decoded and checked as a data packet.
TDataPacket PacketElement(const TVariant& reply, int index)
{
    return DataPacketFromJson(reply[index].AsPacket());
}

// Raises, as loading into `target` would, when the packet does not fit the set's fields; the
// set itself is not touched. Used before the first of two loads, so that a reply whose second
// packet is refused does not leave the first set loaded.
void CheckFits(const TClientDataSet& target, const TDataPacket& packet)
{
    TClientDataSet scratch;
    for (const TField* field : target.Fields())
        scratch.AddField(field->FieldName(), field->DataType(), field->Size());
    scratch.LoadPacket(packet);
}

const QString kErrorMarker = QString::fromLatin1(kSetEtiquetaErrorMarker);

// A reply whose layout is not the method's: the message says that it is the server's answer
// that is wrong, as the connection's own check of the answer does, and keeps the detail.
QString InvalidReply(const QString& detail)
{
    return QStringLiteral("Resposta inválida do servidor de aplicação. ") + detail;
}

template <typename Decode>
auto DecodingReply(Decode&& decode)
{
    try {
        return decode();
    } catch (const EConvertError& e) {
        throw EConvertError(InvalidReply(e.Message()));
    } catch (const EDatabaseError& e) {
        throw EDatabaseError(InvalidReply(e.Message()));
    }
}

} // namespace

TConsDesEtiqServer::TConsDesEtiqServer(TNetConnection& connection, TCallProgress& progress)
    : connection_(connection), progress_(progress)
{
}

void TConsDesEtiqServer::GetNFEtiqueta(QList<TVariant>& args, TClientDataSet& notaFiscal)
{
    TProgressScope scope(progress_, kReceivingKind, "GetDados");
    const TVariant reply = connection_.Call(QStringLiteral("GetNFEtiqueta"), args);
    DecodingReply([&] { notaFiscal.LoadPacket(PacketElement(reply, 0)); });
}

TDataPacket TConsDesEtiqServer::GetProduto(const QString& cdFilial, const QString& nrLanctoNf,
                                           TClientDataSet& items, TClientDataSet& labels)
{
    TProgressScope scope(progress_, kReceivingKind, "GetDados");
    QList<TVariant> args{TVariant::FromString(cdFilial), TVariant::FromString(nrLanctoNf)};
    const TVariant reply = connection_.Call(QStringLiteral("GetProduto"), args);
    return DecodingReply([&] {
        const TDataPacket itemPacket = PacketElement(reply, 0);
        TDataPacket labelPacket = PacketElement(reply, 1);
        CheckFits(labels, labelPacket);
        items.LoadPacket(itemPacket);
        labels.LoadPacket(labelPacket);
        return labelPacket;
    });
}

QString TConsDesEtiqServer::SetEtiqueta(const QJsonObject& changePacket)
{
    TProgressScope scope(progress_, kUpdatingKind, "AtuServi");
    QList<TVariant> args{TVariant::FromPacket(changePacket)};
    const TVariant reply = connection_.Call(QStringLiteral("setEtiqueta"), args);
    // Only a text says whether the change was applied; anything else (null included) must not
    // pass for the empty text of success.
    if (reply.kind() != TVariant::Kind::String)
        throw EConvertError(InvalidReply(QStringLiteral("A resposta de setEtiqueta deve ser um texto.")));
    return CheckSetEtiquetaReply(reply.AsString());
}

QString TConsDesEtiqServer::CheckSetEtiquetaReply(const QString& reply)
{
    if (!reply.contains(kErrorMarker, Qt::CaseSensitive))
        return reply;
    QString message = reply;
    message.remove(kErrorMarker, Qt::CaseSensitive);
    throw ESetEtiquetaError(message);
}
