#include "labelprinter.h"

#include "platform/errors.h"

#include <QComboBox>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QLineEdit>
#include <QMessageBox>
#include <QProcess>
#include <QPushButton>
#include <QRadioButton>
#include <QSpinBox>
#include <QTcpSocket>
#include <QVBoxLayout>

namespace {

void SendToQueue(const TLabelPrinterDestination& destination, const QByteArray& data, int timeoutMs)
{
    QProcess lp;
    lp.start(QStringLiteral("lp"), {QStringLiteral("-d"), destination.queue.trimmed(), QStringLiteral("-o"),
                                    QStringLiteral("raw"), QStringLiteral("-t"), QStringLiteral("Etiquetas")});
    if (!lp.waitForStarted(timeoutMs))
        throw Exception(QStringLiteral("Não foi possível enviar as etiquetas à %1: o comando lp não está disponível (%2).")
                            .arg(destination.Describe(), lp.errorString()));
    lp.write(data);
    lp.closeWriteChannel();
    if (!lp.waitForFinished(timeoutMs)) {
        lp.kill();
        lp.waitForFinished(1000);
        throw Exception(QStringLiteral("A %1 não respondeu ao envio das etiquetas.").arg(destination.Describe()));
    }
    if (lp.exitStatus() != QProcess::NormalExit || lp.exitCode() != 0) {
        const QString reason = QString::fromLocal8Bit(lp.readAllStandardError()).trimmed();
        throw Exception(QStringLiteral("A %1 recusou as etiquetas: %2").arg(destination.Describe(), reason));
    }
}

void SendToNetwork(const TLabelPrinterDestination& destination, const QByteArray& data, int timeoutMs)
{
    QTcpSocket socket;
    socket.connectToHost(destination.host.trimmed(), quint16(destination.port));
    if (!socket.waitForConnected(timeoutMs))
        throw Exception(QStringLiteral("Não foi possível conectar à %1: %2.").arg(destination.Describe(), socket.errorString()));
    socket.write(data);
    while (socket.bytesToWrite() > 0) {
        if (!socket.waitForBytesWritten(timeoutMs))
            throw Exception(QStringLiteral("A %1 parou de receber as etiquetas: %2.")
                                .arg(destination.Describe(), socket.errorString()));
    }
    socket.disconnectFromHost();
    if (socket.state() != QAbstractSocket::UnconnectedState)
        socket.waitForDisconnected(timeoutMs);
}

}  // namespace

QString TLabelPrinterDestination::Describe() const
{
    if (kind == TKind::Queue)
        return QStringLiteral("fila de impressão %1").arg(queue.trimmed());
    return QStringLiteral("impressora de etiquetas %1:%2").arg(host.trimmed()).arg(port);
}

void SendToLabelPrinter(const TLabelPrinterDestination& destination, const QByteArray& data, int timeoutMs)
{
    if (destination.IsEmpty())
        throw Exception(QStringLiteral("Nenhuma impressora de etiquetas foi escolhida."));
    if (destination.kind == TLabelPrinterDestination::TKind::Queue)
        SendToQueue(destination, data, timeoutMs);
    else
        SendToNetwork(destination, data, timeoutMs);
}

TLabelPrinterDialog::TLabelPrinterDialog(const TLabelPrinterDestination& destination, const QStringList& queues,
                                         QWidget* parent)
    : QDialog(parent), rdbFila(new QRadioButton(QStringLiteral("Fila de impressão do sistema (envio direto)"), this)),
      cbbFila(new QComboBox(this)), rdbRede(new QRadioButton(QStringLiteral("Impressora de rede"), this)),
      edtEndereco(new QLineEdit(this)), edtPorta(new QSpinBox(this))
{
    setWindowTitle(QStringLiteral("Imprimir em impressora de etiquetas"));
    rdbFila->setObjectName(QStringLiteral("rdbFila"));
    cbbFila->setObjectName(QStringLiteral("cbbFila"));
    rdbRede->setObjectName(QStringLiteral("rdbRede"));
    edtEndereco->setObjectName(QStringLiteral("edtEndereco"));
    edtPorta->setObjectName(QStringLiteral("edtPorta"));
    cbbFila->setEditable(true);
    cbbFila->addItems(queues);
    edtEndereco->setPlaceholderText(QStringLiteral("endereço ou nome da impressora"));
    edtPorta->setRange(1, 65535);

    auto* form = new QFormLayout;
    form->addRow(rdbFila);
    form->addRow(QStringLiteral("Fila:"), cbbFila);
    form->addRow(rdbRede);
    form->addRow(QStringLiteral("Endereço:"), edtEndereco);
    form->addRow(QStringLiteral("Porta:"), edtPorta);
    auto* buttons = new QDialogButtonBox(this);
    buttons->addButton(QStringLiteral("Imprimir"), QDialogButtonBox::AcceptRole);
    buttons->addButton(QStringLiteral("Cancelar"), QDialogButtonBox::RejectRole);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(form);
    layout->addWidget(buttons);
    connect(rdbFila, &QRadioButton::toggled, this, [this] { UpdateEnabled(); });
    SetDestination(destination);
}

void TLabelPrinterDialog::SetDestination(const TLabelPrinterDestination& destination)
{
    const bool queue = destination.kind == TLabelPrinterDestination::TKind::Queue;
    rdbFila->setChecked(queue);
    rdbRede->setChecked(!queue);
    cbbFila->setCurrentText(destination.queue);
    edtEndereco->setText(destination.host);
    edtPorta->setValue(destination.port);
    UpdateEnabled();
}

TLabelPrinterDestination TLabelPrinterDialog::Destination() const
{
    TLabelPrinterDestination destination;
    destination.kind = rdbFila->isChecked() ? TLabelPrinterDestination::TKind::Queue
                                            : TLabelPrinterDestination::TKind::Network;
    destination.queue = cbbFila->currentText().trimmed();
    destination.host = edtEndereco->text().trimmed();
    destination.port = edtPorta->value();
    return destination;
}

void TLabelPrinterDialog::accept()
{
    if (Destination().IsEmpty()) {
        QWidget* at = rdbFila->isChecked() ? static_cast<QWidget*>(cbbFila) : edtEndereco;
        QMessageBox::warning(this, windowTitle(),
                             rdbFila->isChecked() ? QStringLiteral("Informe a fila de impressão.")
                                                  : QStringLiteral("Informe o endereço da impressora."));
        at->setFocus();
        return;
    }
    QDialog::accept();
}

void TLabelPrinterDialog::UpdateEnabled()
{
    const bool queue = rdbFila->isChecked();
    cbbFila->setEnabled(queue);
    edtEndereco->setEnabled(!queue);
    edtPorta->setEnabled(!queue);
}
