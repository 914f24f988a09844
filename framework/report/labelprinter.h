#pragma once
// Where the ZPL of a label-printer layout goes: a printer queue of the system (CUPS), which gets
// it raw, untouched by any driver (lp -d QUEUE -o raw), or a network label printer at an address
// and port (9100, the printers' raw port, by default).
//
// SendToLabelPrinter raises Exception with a Portuguese message naming the destination when the
// queue refuses the job or the printer cannot be reached or stops taking the data.
// TLabelPrinterDialog is the dialog that asks for the destination in the print dialog's place;
// Destination() reads what the person chose, and accept() refuses an empty queue or address.

#include <QByteArray>
#include <QDialog>
#include <QString>

class QComboBox;
class QLineEdit;
class QRadioButton;
class QSpinBox;

struct TLabelPrinterDestination {
    enum class TKind { Queue, Network };
    static constexpr int kDefaultPort = 9100;

    TKind kind = TKind::Queue;
    QString queue;
    QString host;
    int port = kDefaultPort;

    // "fila ZEBRA" or "impressora 10.0.0.7:9100", for messages.
    QString Describe() const;
    bool IsEmpty() const { return kind == TKind::Queue ? queue.trimmed().isEmpty() : host.trimmed().isEmpty(); }
};

void SendToLabelPrinter(const TLabelPrinterDestination& destination, const QByteArray& data, int timeoutMs = 10000);

class TLabelPrinterDialog : public QDialog {
    Q_OBJECT
public:
    // queues: the system's printer queues offered in the list (the person may type another).
    TLabelPrinterDialog(const TLabelPrinterDestination& destination, const QStringList& queues, QWidget* parent);

    TLabelPrinterDestination Destination() const;
    void SetDestination(const TLabelPrinterDestination& destination);
    void accept() override;

    QRadioButton* rdbFila;
    QComboBox* cbbFila;
    QRadioButton* rdbRede;
    QLineEdit* edtEndereco;
    QSpinBox* edtPorta;

private:
    void UpdateEnabled();
};
