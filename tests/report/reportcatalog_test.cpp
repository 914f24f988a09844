// Finding report definitions by report code, the "not found" message, and refusing broken files.
#include "framework/report/reportcatalog.h"
#include "labels/messagetables.h"
#include "platform/errors.h"
#include "printset.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace {

class ReportCatalogTest : public ::testing::Test {
protected:
    void Write(const QString& name, const QByteArray& content)
    {
        QFile file(QDir(dir.path()).filePath(name));
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(content);
    }
    // The message of the Exception that Find raises for the file, or "" when it does not raise.
    QString FindError(const QString& code)
    {
        try {
            TReportCatalog::Find(code, dir.path());
        } catch (const Exception& e) {
            return e.Message();
        }
        return {};
    }
    QTemporaryDir dir;
};

TEST_F(ReportCatalogTest, FindsTheLabelSheetDefinitionWithItsNamedLayouts)
{
    const auto definition = TReportCatalog::Find("EST990", SourceReportsDir());
    ASSERT_TRUE(definition.has_value());
    EXPECT_EQ(definition->code, "EST990");
    ASSERT_EQ(definition->LayoutNames().size(), 4);
    const TReportLayout& sheet = definition->layouts.first();
    EXPECT_EQ(sheet.columns, 2);
    EXPECT_EQ(sheet.rows, 7);
    EXPECT_EQ(sheet.labelMm, QSizeF(99, 38));
    EXPECT_EQ(sheet.barcodeField, "CDCODBARRAETIQ");
    EXPECT_EQ(sheet.PageSizeMm().toSize(), QSize(210, 297));
    EXPECT_NE(definition->Layout(definition->LayoutNames().at(1)), nullptr);
    EXPECT_EQ(definition->Layout("no such layout"), nullptr);
    // The last two are the thermal label printers' labels, one per page of the label's size.
    for (const QSizeF label : {QSizeF(100, 50), QSizeF(100, 75)}) {
        const TReportLayout& thermal = definition->layouts.at(label.height() == 50 ? 2 : 3);
        EXPECT_TRUE(thermal.IsLabelPrinter()) << thermal.name.toStdString();
        EXPECT_EQ(thermal.LabelsPerPage(), 1);
        EXPECT_EQ(thermal.labelMm, label);
        EXPECT_EQ(thermal.PageSizeMm(), label);
    }
    EXPECT_FALSE(sheet.IsLabelPrinter());
}

TEST_F(ReportCatalogTest, FindsTheFileWhateverTheCaseOfTheCode)
{
    QFile::copy(QDir(SourceReportsDir()).filePath("EST990.json"), QDir(dir.path()).filePath("est990.json"));
    const auto definition = TReportCatalog::Find("EST990", dir.path());
    ASSERT_TRUE(definition.has_value());
    EXPECT_EQ(definition->path, QDir(dir.path()).filePath("est990.json"));
}

TEST_F(ReportCatalogTest, MissingDefinitionGivesNothingAndTheMessageNamesCodeAndDirectory)
{
    EXPECT_FALSE(TReportCatalog::Find("EST990", dir.path()).has_value());
    EXPECT_FALSE(TReportCatalog::Find("EST990", dir.filePath("missing")).has_value());
    EXPECT_FALSE(TReportCatalog::Find("", SourceReportsDir()).has_value());

    EXPECT_EQ(TReportCatalog::NotFoundMessage("EST990", "/opt/est/reports"),
              QString::fromUtf8("O arquivo contendo a definição do relatório de código 'EST990' não foi encontrado "
                                "no diretório '/opt/est/reports'."));
    // The report screen's own message-table text gives the same sentence.
    EXPECT_EQ(TReportCatalog::NotFoundMessage("EST990", "/r", MensagemDe(MensagensRelatorio(), "Arq_Rel_Err")),
              TReportCatalog::NotFoundMessage("EST990", "/r"));
    // A "%s" inside the code is shown as it is, not filled with the directory.
    EXPECT_EQ(TReportCatalog::NotFoundMessage("A%sB", "/r", "'%s' '%s'"), "'A%sB' '/r'");
}

TEST_F(ReportCatalogTest, BrokenDefinitionFilesRaiseNamingTheFileAndTheFault)
{
    const QByteArray layoutHead = R"({"code":"EST990","layouts":[{"name":"L","page":{"size":"A4",)";
    const struct {
        QByteArray content;
        QString fault;
    } cases[] = {
        {"{\"code\": \"EST990\", \"layouts\": [", "JSON malformado"},
        {R"({"code":"EST991","layouts":[{"name":"L"}]})", "define o relatório 'EST991'"},
        {R"({"code":"EST990","layouts":[]})", "ao menos um layout"},
        {R"({"code":"EST990","layouts":[{"name":"L"},{"name":"L"}]})", "mais de uma vez"},
        {layoutHead + R"("marginsMm":{"left":10,"right":10}},"label":{"widthMm":99},"grid":{"columns":2}}]})",
         "2 colunas de 99 mm"},
        {layoutHead + R"("marginsMm":{}},"label":{"heightMm":38},"grid":{"rows":8}}]})", "8 linhas de 38 mm"},
        {layoutHead + R"("marginsMm":{}},"grid":{"columns":1.5}}]})", "'columns'"},
        {layoutHead + R"("marginsMm":{}},"lines":[{"text":"{NMPRODUTO"}]}]})", "sem '}'"},
        {R"({"code":"EST990","layouts":[{"name":"L","page":{"size":"B9"}}]})", "'B9'"},
        {layoutHead + R"("marginsMm":{}},"grid":{"columns":2,"rows":1},"zpl":{}}]})", "uma etiqueta por página"},
        {layoutHead + R"("marginsMm":{}},"grid":{"rows":1},"zpl":{"dpi":203.5}}]})", "'dpi'"},
    };
    for (const auto& c : cases) {
        Write("EST990.json", c.content);
        const QString error = FindError("EST990");
        EXPECT_FALSE(error.isEmpty()) << c.content.constData();
        EXPECT_TRUE(error.contains(c.fault)) << error.toStdString();
    }
}

TEST_F(ReportCatalogTest, RowsDefaultToAsManyAsFitBetweenTheMargins)
{
    Write("X1.json", R"({"code":"X1","layouts":[{"name":"L","page":{"size":"A4","marginsMm":{"top":10,"bottom":10}},
                       "label":{"widthMm":70,"heightMm":30},"grid":{"columns":3,"rowGapMm":2}}]})");
    const auto definition = TReportCatalog::Find("X1", dir.path());
    ASSERT_TRUE(definition.has_value());
    // 277 mm hold 8 rows of 30 mm with 2 mm between them (254 mm), not 9 (286 mm).
    EXPECT_EQ(definition->layouts.first().rows, 8);
    EXPECT_EQ(definition->layouts.first().LabelRectMm(4), QRectF(70, 42, 70, 30));
}

TEST_F(ReportCatalogTest, DefaultDirectoryFollowsTheEnvironment)
{
    qputenv("EST_REPORTS_DIR", dir.path().toUtf8());
    EXPECT_EQ(TReportCatalog::DefaultDirectory(), dir.path());
    qunsetenv("EST_REPORTS_DIR");
    EXPECT_FALSE(TReportCatalog::DefaultDirectory().isEmpty());
}

}  // namespace
