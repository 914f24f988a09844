#include "labels/packetlayouts.h"

#include <cstring>
#include <iterator>

namespace {

constexpr TPacketFieldType kText = TPacketFieldType::String;
constexpr TPacketFieldType kFixed = TPacketFieldType::FixedString;
constexpr TPacketFieldType kNumber = TPacketFieldType::Float;
constexpr TPacketFieldType kDate = TPacketFieldType::DateTime;

constexpr TPacketColumn kInvoiceColumns[] = {
    {"CDFILIAL", kText, 4},      {"NRLANCTONF", kText, 10},  {"CDFILIRECE", kText, 4},
    {"CDINSCESTA", kText, 16},   {"NRINSJURNF", kText, 20},  {"NMRAZSOCFORN", kText, 40},
    {"NRNOTAFISC", kText, 20},   {"CDSERIEENTR", kText, 5},  {"DTEMISSAO", kDate, 0},
    {"VRNOTAFISC", kNumber, 0},  {"IDSTATUSNFE", kText, 1},  {"NRACESSONFE", kText, 50},
    {"IDTPIJURNF", kText, 1},    {"DSRODAP", kText, 40},
};

constexpr TPacketColumn kItemColumns[] = {
    {"IDCHECK", kFixed, 1},      {"CDFILIAL", kText, 4},     {"NRLANCTONF", kText, 10},
    {"CDPRODUTO", kText, 10},    {"CDARVPROD", kText, 20},   {"NMPRODUTO", kText, 50},
    {"SGUNIDADE", kText, 10},    {"LOTESUBLOTE", kText, 25}, {"QTITEMPROD", kNumber, 0},
    {"NRSEQITPROD", kText, 4},   {"DTVALILOTE", kDate, 0},   {"NRPEDEXOL", kText, 20},
};

constexpr TPacketColumn kLabelColumns[] = {
    {"IDCHECK", kFixed, 1},         {"CDFILIAL", kText, 4},        {"NRLANCTONF", kText, 10},
    {"NRSEQITPROD", kText, 4},      {"NRSEQETIQ", kText, 20},      {"CDPRODUTO", kText, 10},
    {"QTETIQPROD", kNumber, 0},     {"VRPESOETIQ", kNumber, 0},    {"QTTOTALPRODETIQ", kNumber, 0},
    {"IDSTATUSETIQ", kText, 1},     {"CDCODBARRAETIQ", kText, 50}, {"NRPEDEXOL", kText, 20},
};

static_assert(std::size(kLabelColumns) == kLabelChangeColumns + 1);

} // namespace

TPacketLayout InvoicePacketLayout() { return kInvoiceColumns; }
TPacketLayout ItemPacketLayout() { return kItemColumns; }
TPacketLayout LabelPacketLayout() { return kLabelColumns; }

QList<TPacketField> PacketFields(TPacketLayout layout)
{
    QList<TPacketField> fields;
    fields.reserve(qsizetype(layout.size()));
    for (const TPacketColumn& c : layout)
        fields.append({QString::fromLatin1(c.name), c.type, c.width});
    return fields;
}

QList<TPacketField> LabelChangeFields()
{
    return PacketFields(LabelPacketLayout().first(kLabelChangeColumns));
}

const TPacketColumn* FindPacketColumn(const char* name)
{
    for (TPacketLayout layout : {InvoicePacketLayout(), ItemPacketLayout(), LabelPacketLayout()})
        for (const TPacketColumn& c : layout)
            if (std::strcmp(c.name, name) == 0)
                return &c;
    return nullptr;
}
