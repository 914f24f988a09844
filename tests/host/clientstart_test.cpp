// The built client started as a separate process, as a clerk or a script would start it: it
// loads the module library by name, opens the query screen and writes its picture.

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QColor>
#include <QImage>
#include <QProcess>
#include <QProcessEnvironment>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace {

// A point inside the invoice grid of the query screen at its usual place, and the colour of the
// empty child-window area.
const QPoint kInsideQueryScreen(600, 450);
const QColor kChildAreaGrey(0x80, 0x80, 0x80);

struct TRun {
    int exitCode = -1;
    QString err;
    QString out;
};

class ClientStartTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        // The client is built beside the test program unless EST_BIN_DIR says otherwise.
        binDir_ = qEnvironmentVariable("EST_BIN_DIR", QCoreApplication::applicationDirPath());
        ASSERT_TRUE(QFile::exists(Client())) << qPrintable(Client());
        // An empty configuration keeps the developer's own settings out of the test.
        ini_ = dir_.filePath("client.ini");
        QFile f(ini_);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write("[session]\nbranch=0003\n[server]\nport=1\n");
    }

    QString Client() const { return QDir(binDir_).filePath("est-client"); }

    TRun Start(const QStringList& args)
    {
        QProcess p;
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert("QT_QPA_PLATFORM", "offscreen");
        env.insert("HOME", dir_.path());
        // As a desktop session has it; without it Qt warns on stderr.
        env.insert("XDG_RUNTIME_DIR", runtime_.path());
        p.setProcessEnvironment(env);
        p.start(Client(), QStringList{"--config", ini_, "--database", dir_.filePath("host.db")} + args);
        TRun run;
        if (!p.waitForFinished(60000)) {
            p.kill();
            p.waitForFinished();
            return run;
        }
        run.exitCode = p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1;
        run.err = QString::fromUtf8(p.readAllStandardError());
        run.out = QString::fromUtf8(p.readAllStandardOutput());
        return run;
    }

    QString binDir_;
    QTemporaryDir dir_;
    QTemporaryDir runtime_;
    QString ini_;
};

TEST_F(ClientStartTest, OpenWithScreenshotWritesThePictureOfTheMainWindowWithTheQueryScreen)
{
    const QString png = dir_.filePath("out.png");
    const TRun run = Start({"--open", "--screenshot", png});
    ASSERT_EQ(run.exitCode, 0) << qPrintable(run.err);
    // A normal start warns of nothing; the offscreen platform alone says it cannot pass size
    // hints on to a window system, which a desktop's platform can.
    EXPECT_EQ(QString(run.err).remove("This plugin does not support propagateSizeHints()\n"), QString())
        << qPrintable(run.err);
    QImage picture(png);
    ASSERT_FALSE(picture.isNull());
    // The main window is large enough to hold the query screen at its place, and the screen is
    // drawn there over the child-window area's grey.
    EXPECT_GE(picture.width(), 1012);
    EXPECT_GE(picture.height(), 710);
    EXPECT_NE(picture.pixelColor(kInsideQueryScreen), kChildAreaGrey);
}

TEST_F(ClientStartTest, WithoutOpenThePictureShowsTheEmptyChildArea)
{
    const QString png = dir_.filePath("empty.png");
    const TRun run = Start({"--screenshot", png});
    ASSERT_EQ(run.exitCode, 0) << qPrintable(run.err);
    EXPECT_EQ(QImage(png).pixelColor(kInsideQueryScreen), kChildAreaGrey);
}

TEST_F(ClientStartTest, MissingModuleLibraryIsReportedInPortugueseAndNoPictureIsWritten)
{
    const QString png = dir_.filePath("out.png");
    const TRun run = Start({"--open", "--module", dir_.filePath("libNaoExiste.so"), "--screenshot", png});
    EXPECT_EQ(run.exitCode, 3);
    EXPECT_TRUE(run.err.contains("Não foi possível carregar o módulo")) << qPrintable(run.err);
    EXPECT_FALSE(QFile::exists(png));
}

TEST_F(ClientStartTest, LibraryWithoutTheModuleEntryIsRefusedNamingTheEntry)
{
    // The platform library is a real shared library that has none of the module's entries.
    const TRun run = Start({"--open", "--module", QDir(binDir_).filePath("libest_platform.so"),
                            "--screenshot", dir_.filePath("out.png")});
    EXPECT_EQ(run.exitCode, 3);
    EXPECT_TRUE(run.err.contains("não contém a entrada Initialize")) << qPrintable(run.err);
}

TEST_F(ClientStartTest, BadOptionEndsWithStatusTwoAndTheUsage)
{
    const TRun run = Start({"--server-port", "zero"});
    EXPECT_EQ(run.exitCode, 2);
    EXPECT_TRUE(run.err.contains("Valor inválido para --server-port")) << qPrintable(run.err);
    EXPECT_TRUE(run.err.contains("Uso: est-client"));

    const TRun version = Start({"--version"});
    EXPECT_EQ(version.exitCode, 0);
    EXPECT_TRUE(version.out.startsWith("est-client ")) << qPrintable(version.out);
    EXPECT_TRUE(version.err.isEmpty()) << qPrintable(version.err);
}

} // namespace
