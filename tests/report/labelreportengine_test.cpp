// The engine as the report screen drives it: loading by report code, the report-name list,
// and definitions edited while the screen is open.
#include "framework/report/labelreportengine.h"
#include "platform/errors.h"
#include "printset.h"

#include <QDir>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QPrintPreviewDialog>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <functional>

namespace {

class LabelReportEngineTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(QFile::copy(QDir(SourceReportsDir()).filePath("EST990.json"), Definition()));
        QFile::setPermissions(Definition(), QFile::ReadOwner | QFile::WriteOwner);
    }
    QString Definition() const { return QDir(dir.path()).filePath("EST990.json"); }
    QString Pdf() const { return QDir(dir.path()).filePath("out.pdf"); }
    // Rewrites the first layout of the copied definition.
    void EditFirstLayout(const std::function<void(QJsonObject&)>& edit)
    {
        QFile file(Definition());
        ASSERT_TRUE(file.open(QIODevice::ReadOnly));
        QJsonObject root = QJsonDocument::fromJson(file.readAll()).object();
        file.close();
        QJsonArray layouts = root["layouts"].toArray();
        QJsonObject first = layouts[0].toObject();
        edit(first);
        layouts[0] = first;
        root["layouts"] = layouts;
        ASSERT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
        file.write(QJsonDocument(root).toJson());
    }
    QTemporaryDir dir;
    TLabelReportEngine engine;
    std::unique_ptr<TClientDataSet> printSet = MakePrintSet(InvoiceLabels(30));
};

TEST_F(LabelReportEngineTest, LoadedDefinitionListsItsLayoutsAndPreviewsTheFirstByDefault)
{
    ASSERT_TRUE(engine.Load("EST990", dir.path()));
    EXPECT_EQ(engine.ReportNames(), Est990().LayoutNames());
    EXPECT_EQ(engine.DefinitionPath(), Definition());

    QString caption;
    engine.Output.RunPreview = [&](QPrintPreviewDialog& dialog) { caption = dialog.windowTitle(); };
    engine.Preview(QString(), *printSet, nullptr);
    EXPECT_TRUE(caption.contains(engine.ReportNames().first())) << caption.toStdString();
    EXPECT_TRUE(caption.contains("Etiquetas de recebimento")) << caption.toStdString();
}

TEST_F(LabelReportEngineTest, MissingDefinitionIsReportedWithTheCodeAndTheDirectory)
{
    QFile::remove(Definition());
    EXPECT_FALSE(engine.Load("EST990", dir.path()));
    EXPECT_TRUE(engine.ReportNames().isEmpty());
    const QString expected = QString::fromUtf8("O arquivo contendo a definição do relatório de código 'EST990' não foi "
                                               "encontrado no diretório '%1'.").arg(dir.path());
    EXPECT_EQ(engine.NotFoundMessage(), expected);
    try {
        engine.Preview(QString(), *printSet, nullptr);
        ADD_FAILURE() << "preview without a definition";
    } catch (const Exception& e) {
        EXPECT_EQ(e.Message(), expected);
    }
    EXPECT_THROW(engine.EditDefinition(), Exception);
}

TEST_F(LabelReportEngineTest, AnEditedDefinitionAppliesAtTheNextPrint)
{
    ASSERT_TRUE(engine.Load("EST990", dir.path()));
    const QString name = engine.ReportNames().first();
    EXPECT_EQ(engine.PrintToPdf(name, *printSet, Pdf()), 3);

    EditFirstLayout([](QJsonObject& layout) {
        QJsonObject grid = layout["grid"].toObject();
        grid["columns"] = 1;
        layout["grid"] = grid;
    });
    EXPECT_EQ(engine.PrintToPdf(name, *printSet, Pdf()), 5);

    EditFirstLayout([](QJsonObject& layout) { layout["name"] = "Outro"; });
    EXPECT_THROW(engine.PrintToPdf(name, *printSet, Pdf()), Exception);
    EXPECT_EQ(engine.PrintToPdf("Outro", *printSet, Pdf()), 5);

    QFile::remove(Definition());
    EXPECT_THROW(engine.PrintToPdf("Outro", *printSet, Pdf()), Exception);
}

}  // namespace
