// The client's start-up settings: the configuration file, the command line over it, and the
// messages a wrong start-up gets.

#include "host/clientoptions.h"
#include "platform/errors.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace {

class ClientOptionsTest : public ::testing::Test {
protected:
    QString Write(const QString& name, const QByteArray& content)
    {
        const QString path = dir_.filePath(name);
        QFile f(path);
        EXPECT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(content);
        return path;
    }

    static TClientOptions Load(QStringList args)
    {
        args.prepend(QStringLiteral("est-client"));
        return TClientOptions::Load(args);
    }

    static QString ErrorOf(const QStringList& args)
    {
        try {
            Load(args);
        } catch (const Exception& e) {
            return e.Message();
        }
        return {};
    }

    QTemporaryDir dir_;
};

TEST_F(ClientOptionsTest, ConfigurationFileFillsTheSessionAndResolvesItsPathsBesideItself)
{
    Write("token.txt", "  segredo-123 \n");
    const QString ini = Write("client.ini",
                              "[session]\nbranch=0007\nproductMask=999.999\n"
                              "[server]\nhost=app.local\nport=9100\ntokenFile=token.txt\n"
                              "connectTimeoutMs=1500\nreadTimeoutMs=45000\n"
                              "[database]\nconnection=dados/est.db\n"
                              "[reports]\ndirectory=rel\n");
    const TClientOptions o = Load({"--config", ini});
    EXPECT_EQ(o.branch, "0007");
    EXPECT_EQ(o.productMask, "999.999");
    EXPECT_EQ(o.serverHost, "app.local");
    EXPECT_EQ(o.serverPort, 9100);
    EXPECT_EQ(o.accessToken, "segredo-123");
    EXPECT_EQ(o.connectTimeoutMs, 1500);
    EXPECT_EQ(o.readTimeoutMs, 45000);
    EXPECT_EQ(o.database, QDir(dir_.path()).filePath("dados/est.db"));
    EXPECT_EQ(o.reportsDir, QDir(dir_.path()).filePath("rel"));
}

TEST_F(ClientOptionsTest, CommandLineOverridesTheConfigurationFile)
{
    const QString ini = Write("client.ini", "[session]\nbranch=0007\n[server]\nport=9100\n"
                                            "[database]\nconnection=est.db\n");
    const TClientOptions o = Load({"--config", ini, "--branch", "0002", "--server-port", "8300",
                                   "--database", "host=db dbname=est", "--open",
                                   "--screenshot", "x.png", "--module", "/opt/m.so"});
    EXPECT_EQ(o.branch, "0002");
    EXPECT_EQ(o.serverPort, 8300);
    EXPECT_EQ(o.database, "host=db dbname=est");
    EXPECT_TRUE(o.openModule);
    EXPECT_EQ(o.screenshotPath, "x.png");
    EXPECT_EQ(o.modulePath, "/opt/m.so");
}

TEST_F(ClientOptionsTest, PostgresConnectionInTheFileIsKeptAsWritten)
{
    const QString ini = Write("client.ini", "[database]\nconnection=\"postgresql://u:s@db:5432/est\"\n");
    EXPECT_EQ(Load({"--config", ini}).database, "postgresql://u:s@db:5432/est");
}

TEST_F(ClientOptionsTest, WrongStartUpsAreRefusedWithAMessageNamingTheCause)
{
    EXPECT_EQ(ErrorOf({"--server-port", "70000"}), "Valor inválido para --server-port: \"70000\".");
    EXPECT_EQ(ErrorOf({"--server-port", "abc"}), "Valor inválido para --server-port: \"abc\".");
    EXPECT_EQ(ErrorOf({"--branch"}), "A opção --branch precisa de um valor.");
    EXPECT_EQ(ErrorOf({"--branch", "  "}), "A filial do usuário deve ser informada.");
    EXPECT_EQ(ErrorOf({"--verbose"}), "Opção desconhecida: --verbose");
    EXPECT_EQ(ErrorOf({"--config", dir_.filePath("nada.ini")}),
              "Arquivo de configuração não encontrado: " + dir_.filePath("nada.ini"));
    EXPECT_TRUE(ErrorOf({"--token-file", dir_.filePath("nada")})
                    .startsWith("Não foi possível ler o arquivo do token de acesso"));
    const QString empty = Write("vazio.txt", "\n");
    EXPECT_TRUE(ErrorOf({"--token-file", empty}).startsWith("O arquivo do token de acesso está vazio"));
    const QString badPort = Write("client.ini", "[server]\nport=0\n");
    EXPECT_TRUE(ErrorOf({"--config", badPort}).startsWith("Valor inválido para server/port em "));
}

TEST_F(ClientOptionsTest, EmptyProductMaskOnTheCommandLineClearsTheFilesMask)
{
    const QString ini = Write("client.ini", "[session]\nproductMask=999\n");
    EXPECT_EQ(Load({"--config", ini, "--product-mask", ""}).productMask, "");
}

} // namespace
