// Label line texts: placeholders filled from the current row in the platform's formats.
#include "framework/report/labeltemplate.h"
#include "platform/errors.h"
#include "printset.h"

#include <gtest/gtest.h>

namespace {

class LabelTemplateTest : public ::testing::Test {
protected:
    std::unique_ptr<TClientDataSet> set = MakePrintSet(
        {{QStringLiteral("ARRUELA {M8}"), QStringLiteral("L1/1"), QStringLiteral("00010000000123000100001"), 0.5, 2.5}});
    QString Render(const QString& text) { return TLabelTemplate(text).Render(*set); }
};

TEST_F(LabelTemplateTest, FieldsShowInTheirKindsFormats)
{
    EXPECT_EQ(Render("{VRPESOETIQ|#####0.000} kg"), "0,500 kg");
    EXPECT_EQ(Render("{QTETIQPROD}"), "2,5");
    EXPECT_EQ(Render("{DTVALILOTE}"), "09/03/2027");
    // A value that holds braces is shown as it is; doubled braces in the text are literal braces.
    EXPECT_EQ(Render("{{{NMPRODUTO}}}"), "{ARRUELA {M8}}");
    EXPECT_EQ(Render("Lote: { LOTESUBLOTE }"), "Lote: L1/1");
}

TEST_F(LabelTemplateTest, NullValuesShowNothing)
{
    set->Edit();
    set->FieldByName("DTVALILOTE")->Clear();
    set->FieldByName("VRPESOETIQ")->Clear();
    set->Post();
    EXPECT_EQ(Render("Validade: {DTVALILOTE}"), "Validade: ");
    EXPECT_EQ(Render("Peso: {VRPESOETIQ|0.000}"), "Peso: ");
}

TEST_F(LabelTemplateTest, MalformedTextsAndUnknownFieldsAreRefused)
{
    EXPECT_THROW(TLabelTemplate("{NMPRODUTO"), Exception);
    EXPECT_THROW(TLabelTemplate("NMPRODUTO}"), Exception);
    EXPECT_THROW(TLabelTemplate("{ |0.00}"), Exception);
    EXPECT_THROW(TLabelTemplate("{NRLOTE}").Check(*set), EDatabaseError);
    EXPECT_THROW(TLabelTemplate("{NMPRODUTO|0.00}").Check(*set), Exception);
    EXPECT_NO_THROW(TLabelTemplate("{VRPESOETIQ|0.00} {NMPRODUTO}").Check(*set));
    EXPECT_EQ(TLabelTemplate("{A} x {B|0}").FieldNames(), QStringList({"A", "B"}));
}

}  // namespace
