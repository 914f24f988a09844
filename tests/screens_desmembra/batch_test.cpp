// Entering batches: the checks against the source weight and the batches so far, the boxes'
// key filters and Enter, and the rows a batch adds to the grid and to the new labels.
#include "screens_desmembra/splitfixture.h"

#include "framework/showavi.h"

#include <QTest>

namespace {

const QString kGerando = QStringLiteral("Gerando etiquetas...");

class BatchEntry : public SplitScreenTest {
protected:
    void SetUp() override
    {
        SplitScreenTest::SetUp();
        PositionOnDefaultSource();  // source label of 10 kg
        OpenSplit();
        ui.Clear();
    }

    QString GridText(int row, int column) const
    {
        return split->dbgPadrao->model()->index(row, column).data().toString();
    }
    int GridRows() const { return split->dbgPadrao->model()->rowCount(); }
    QString Acumulado() const { return split->dbeQtdeAcumu->text(); }

    // A refused batch: one error with the text, focus on the box named, nothing added, the
    // animation taken away and the typed texts kept.
    void ExpectRefused(const QString& message, const char* focus, int rowsBefore = 0)
    {
        EXPECT_EQ(Errors(), QStringList{message}) << ui.Log().join('\n').toStdString();
        EXPECT_EQ(FocusedName(), QLatin1String(focus));
        EXPECT_EQ(GridRows(), rowsBefore);
        EXPECT_EQ(ShowAviDepth(), 0);
        EXPECT_EQ(ui.Texts(TUiEntryKind::ProgressHide).size(), 1);
        ExpectProgressDownBeforeTheMessage();
    }
    // The progress window never covers the message box: it is taken down first.
    void ExpectProgressDownBeforeTheMessage()
    {
        const auto at = [this](TUiEntryKind kind) {
            for (int i = 0; i < ui.Entries.size(); ++i)
                if (ui.Entries.at(i).kind == kind)
                    return i;
            return -1;
        };
        EXPECT_LT(at(TUiEntryKind::ProgressHide), at(TUiEntryKind::Error)) << ui.Log().join('\n').toStdString();
    }
};

QString NumbersLeft(int left)
{
    return QStringLiteral("A Quantidade de Etiqueta supera a numeração disponível para o produto: restam %1 "
                          "número(s) de etiqueta, pois o código de barras comporta a numeração até 99999.")
        .arg(left);
}

TEST_F(BatchEntry, FirstBatchEqualToTheSourceWeightPassesAgainstNothingAccumulated)
{
    EXPECT_EQ(Acumulado(), QString());
    EnterBatch("1", "10");
    EXPECT_TRUE(Errors().isEmpty()) << ui.Log().join('\n').toStdString();
    EXPECT_EQ(GridRows(), 1);
    // "Acumulado" in the pattern of "Origem".
    EXPECT_EQ(Acumulado(), "10,000");
    EXPECT_EQ(Acumulado(), split->dbeQtdeOrig->text());
    EXPECT_EQ(LabelRows().size(), 1);
    // The animation runs around the batch and goes away once.
    ASSERT_FALSE(ui.Entries.isEmpty());
    EXPECT_EQ(ui.Entries.first().kind, TUiEntryKind::ProgressShow);
    EXPECT_EQ(ui.Entries.first().text, kGerando);
    EXPECT_EQ(ui.Texts(TUiEntryKind::ProgressHide).size(), 1);
    EXPECT_EQ(ui.ProgressKinds.first(), 6);
    // The boxes are cleared for the next batch and the quantity box has the focus again.
    EXPECT_EQ(split->edtQtdEtiqueta->text(), QString());
    EXPECT_EQ(split->edtPeso->text(), QString());
    EXPECT_EQ(FocusedName(), "edtQtdEtiqueta");
}

TEST_F(BatchEntry, ThreeLabelsOfTwoAndAHalfAddOneGridRowAndThreeLabelRows)
{
    EnterBatch("1", "2");
    EXPECT_EQ(Acumulado(), "2,000");
    EnterBatch("3", "2,5");
    ASSERT_TRUE(Errors().isEmpty()) << ui.Log().join('\n').toStdString();
    ASSERT_EQ(GridRows(), 2);
    EXPECT_EQ(GridText(1, 0), "3");
    EXPECT_EQ(GridText(1, 1), "2,500");
    EXPECT_EQ(Acumulado(), "9,500");
    const QString prefix = kBranch + kEntry + QStringLiteral("0001");
    EXPECT_EQ(LabelRows(), QStringList({"|" + prefix + "|1|2|A", "|" + prefix + "|3|2.5|A", "|" + prefix + "|3|2.5|A",
                                        "|" + prefix + "|3|2.5|A"}));
    // Each label row carries the source label's keys and the mark "U".
    TClientDataSet& labels = *split->cdsInsEtiqueta;
    labels.Last();
    EXPECT_EQ(labels.FieldByName("IDCHECK")->AsString(), "U");
    EXPECT_EQ(labels.FieldByName("CDPRODUTO")->AsString(), "45");
    EXPECT_EQ(labels.FieldByName("QTTOTALPRODETIQ")->AsFloat(), 30);
    // The batch row takes its keys from the current item.
    TClientDataSet& batches = *split->cdsEtiqueta;
    batches.Last();
    EXPECT_EQ(batches.FieldByName("NRSEQITPROD")->AsString(), "0001");
    EXPECT_EQ(batches.FieldByName("CDPRODUTO")->AsString(), "45");
    EXPECT_EQ(batches.FieldByName("IDSTATUSETIQ")->AsString(), "A");
    EXPECT_TRUE(batches.FieldByName("NRSEQETIQ")->IsNull());
}

TEST_F(BatchEntry, AWeightWithMoreDecimalsIsShownRoundedButSummedInFull)
{
    EnterBatch("2", "1,23456");
    ASSERT_TRUE(Errors().isEmpty());
    EXPECT_EQ(GridText(0, 1), "1,235");
    EXPECT_EQ(Acumulado(), "2,46912");
    EnterBatch("1", "0,0000000001");
    EXPECT_EQ(Acumulado(), "2,4691200001");
}

TEST_F(BatchEntry, BatchesThatReachTheSourceWeightPassAndAnyFurtherBatchIsRefused)
{
    EnterBatch("2", "3");
    EnterBatch("1", "4");
    ASSERT_TRUE(Errors().isEmpty()) << ui.Log().join('\n').toStdString();
    EXPECT_EQ(Acumulado(), "10,000");

    ui.Clear();
    EnterBatch("1", "0,001");
    ExpectRefused(QStringLiteral("A Quantidade de Etiqueta e o Peso informado, adicionados a(s) Etiqueta(s) "
                                 "lançada(s) anteriormente, superam o valor total da quantidade do produto."),
                  "edtQtdEtiqueta", 2);
    EXPECT_EQ(split->edtQtdEtiqueta->text(), "1");
    EXPECT_EQ(split->edtPeso->text(), "0,001");

    ui.Clear();
    split->edtQtdEtiqueta->clear();
    split->edtPeso->clear();
    EnterBatch("1", "11");
    ExpectRefused(QStringLiteral("A Quantidade de Etiqueta para o Peso informado supera o valor total da "
                                 "quantidade do produto."),
                  "edtQtdEtiqueta", 2);
    EXPECT_EQ(LabelRows().size(), 3);
}

TEST_F(BatchEntry, EmptyOrZeroQuantityAndWeightAreRefusedInTheirOwnBoxes)
{
    EnterBatch("", "5");
    ExpectRefused(QStringLiteral("Quantidade Etiqueta deve ser informado."), "edtQtdEtiqueta");
    for (const char* zero : {"0", "00"}) {
        ui.Clear();
        split->edtQtdEtiqueta->clear();
        split->edtPeso->clear();
        EnterBatch(QLatin1String(zero), "5");
        ExpectRefused(QStringLiteral("Quantidade Etiqueta deve ser maior que zero."), "edtQtdEtiqueta");
    }
    ui.Clear();
    split->edtQtdEtiqueta->clear();
    split->edtPeso->clear();
    EnterBatch("2", "0,000");
    ExpectRefused(QStringLiteral("Peso deve ser maior que zero."), "edtPeso");
    EXPECT_TRUE(LabelRows().isEmpty());
}

TEST_F(BatchEntry, EnterInTheQuantityBoxWithNoWeightAsksForTheWeight)
{
    Type(split->edtQtdEtiqueta, "2");
    QTest::keyClick(split->edtQtdEtiqueta, Qt::Key_Return);
    ExpectRefused(QStringLiteral("Peso deve ser informado."), "edtPeso");
    EXPECT_EQ(split->edtQtdEtiqueta->text(), "2");

    ui.Clear();
    Type(split->edtPeso, "2,5");
    QTest::keyClick(split->edtPeso, Qt::Key_Enter);
    EXPECT_TRUE(Errors().isEmpty());
    EXPECT_EQ(GridRows(), 1);
    EXPECT_EQ(FocusedName(), "edtQtdEtiqueta");
}

TEST_F(BatchEntry, AQuantityBeyondThirtyTwoBitsFailsItsConversionAndAddsNothing)
{
    Type(split->edtQtdEtiqueta, "2147483648");
    Type(split->edtPeso, "1");
    QTest::keyClick(split->edtPeso, Qt::Key_Return);
    EXPECT_EQ(Errors(), QStringList{QStringLiteral("'2147483648' não é um valor inteiro válido.")});
    EXPECT_EQ(FocusedName(), "edtPeso");  // a conversion error moves no focus
    EXPECT_EQ(GridRows(), 0);
    EXPECT_TRUE(LabelRows().isEmpty());
    // The animation goes away before the error is shown.
    ASSERT_GE(ui.Entries.size(), 2);
    EXPECT_EQ(ui.Entries.at(ui.Entries.size() - 2).kind, TUiEntryKind::ProgressHide);
    EXPECT_EQ(ShowAviDepth(), 0);
}

// A label number has five digits in the barcode. With the item's highest sequence at 99997 two
// numbers are left: a batch asking for more is refused at once (a huge quantity of a tiny weight
// builds no rows), one that fits passes, and then none is left.
TEST_F(BatchEntry, ABatchAsksForNoMoreLabelsThanNumbersAreLeftForTheItem)
{
    delete split.data();
    PositionQueryScreen({{QStringLiteral("0001"), QStringLiteral("99997"), 10.0}}, QStringLiteral("0001"),
                        QStringLiteral("99997"));
    OpenSplit();
    const struct {
        const char* quantity;
        const char* weight;
        int left;  // -1: accepted
        int rows;  // batches entered before it
    } batches[] = {{"2147483647", "0,0000000001", 2, 0}, {"3", "0,5", 2, 0}, {"2", "1", -1, 0}, {"1", "1", 0, 1}};
    for (const auto& batch : batches) {
        SCOPED_TRACE(batch.quantity);
        ui.Clear();
        split->edtQtdEtiqueta->clear();
        split->edtPeso->clear();
        EnterBatch(QLatin1String(batch.quantity), QLatin1String(batch.weight));
        if (batch.left < 0)
            EXPECT_TRUE(Errors().isEmpty()) << ui.Log().join('\n').toStdString();
        else
            ExpectRefused(NumbersLeft(batch.left), "edtQtdEtiqueta", batch.rows);
    }
    EXPECT_EQ(LabelRows().size(), 2);
}

TEST_F(BatchEntry, KeyFiltersLetThroughOnlyWhatANumberNeeds)
{
    Type(split->edtQtdEtiqueta, "1a2,-3 4");
    EXPECT_EQ(split->edtQtdEtiqueta->text(), "1234");
    split->edtQtdEtiqueta->clear();
    Type(split->edtQtdEtiqueta, "123456789012");
    EXPECT_EQ(split->edtQtdEtiqueta->text(), "1234567890");

    Type(split->edtPeso, "2,5,7x-");
    EXPECT_EQ(split->edtPeso->text(), "2,57");
    split->edtPeso->clear();
    Type(split->edtPeso, "1,123456789012");
    EXPECT_EQ(split->edtPeso->text(), "1,1234567890");

    // Backspace still edits; the characters that share the arrow keys' codes get through and
    // then fail the number conversion.
    QTest::keyClick(split->edtPeso, Qt::Key_Backspace);
    EXPECT_EQ(split->edtPeso->text(), "1,123456789");
    split->edtPeso->clear();
    Type(split->edtPeso, "%");
    EXPECT_EQ(split->edtPeso->text(), "%");
    split->edtQtdEtiqueta->clear();
    Type(split->edtQtdEtiqueta, "1");
    QTest::mouseClick(split->btnGeraEtiqueta, Qt::LeftButton);
    EXPECT_EQ(Errors(), QStringList{QStringLiteral("'%' não é um valor numérico válido.")});
    EXPECT_EQ(GridRows(), 0);
}

// Ctrl+A selects the whole box and Ctrl+C copies it, past the number filters; Enter still
// generates (the weight is asked for).
TEST_F(BatchEntry, SelectAllAndCopyWorkInBothBoxes)
{
    for (TEdit* box : {split->edtQtdEtiqueta, split->edtPeso}) {
        SCOPED_TRACE(box->objectName().toStdString());
        box->clear();
        Type(box, "12");
        QTest::keyClick(box, Qt::Key_A, Qt::ControlModifier);
        EXPECT_EQ(box->selectedText(), "12");
        EXPECT_EQ(box->text(), "12");
        Type(box, "3");
        EXPECT_EQ(box->text(), "3") << "typing replaces the selection";
    }
}

using BatchSums = SplitScreenTest;

TEST_F(BatchSums, SumsAreComparedToFifteenSignificantDigits)
{
    // 0,1 + 0,2 + 0,3 is 0,6000000000000001 in binary; to fifteen digits it is the source's 0,6.
    PositionQueryScreen({{QStringLiteral("0001"), QStringLiteral("00001"), 0.6}}, QStringLiteral("0001"),
                        QStringLiteral("00001"));
    OpenSplit();
    for (const char* weight : {"0,1", "0,2", "0,3"})
        EnterBatch("1", QLatin1String(weight));
    EXPECT_TRUE(Errors().isEmpty()) << ui.Log().join('\n').toStdString();
    EXPECT_EQ(split->cdsEtiqueta->RecordCount(), 3);
    EXPECT_EQ(split->dbeQtdeAcumu->text(), "0,600");
    EnterBatch("1", "0,0000000001");
    EXPECT_EQ(Errors().size(), 1);
}

} // namespace
