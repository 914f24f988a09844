#include "framework/hostdatabase.h"

#include "framework/session.h"
#include "platform/errors.h"

#include <QSqlError>
#include <QUrl>

namespace {

void ApplyKeywordForm(QSqlDatabase& db, const QString& connection)
{
    QStringList options;
    for (const QString& part : connection.split(QLatin1Char(' '), Qt::SkipEmptyParts)) {
        const int eq = part.indexOf(QLatin1Char('='));
        if (eq < 0)
            continue;
        const QString key = part.left(eq).trimmed().toLower();
        const QString value = part.mid(eq + 1).trimmed();
        if (key == QLatin1String("host"))
            db.setHostName(value);
        else if (key == QLatin1String("port"))
            db.setPort(value.toInt());
        else if (key == QLatin1String("dbname"))
            db.setDatabaseName(value);
        else if (key == QLatin1String("user"))
            db.setUserName(value);
        else if (key == QLatin1String("password"))
            db.setPassword(value);
        else
            options.append(key + QLatin1Char('=') + value);
    }
    db.setConnectOptions(options.join(QLatin1Char(';')));
}

void ApplyUriForm(QSqlDatabase& db, const QString& connection)
{
    const QUrl url(connection);
    db.setHostName(url.host());
    if (url.port() > 0)
        db.setPort(url.port());
    db.setDatabaseName(url.path().mid(1));
    db.setUserName(url.userName());
    db.setPassword(url.password());
}

} // namespace

TdtmDBGeral& TdtmDBGeral::Instance()
{
    static TdtmDBGeral module;
    return module;
}

TdtmDBGeral& dtmDBGeral()
{
    return TdtmDBGeral::Instance();
}

bool TdtmDBGeral::IsPostgres(const QString& connection)
{
    const QString text = connection.trimmed();
    return text.startsWith(QLatin1String("postgresql://")) || text.startsWith(QLatin1String("postgres://"))
        || text.contains(QLatin1String("dbname="));
}

void TdtmDBGeral::Connect(const QString& connection)
{
    Disconnect();
    const bool postgres = IsPostgres(connection);
    QSqlDatabase db = QSqlDatabase::addDatabase(postgres ? QStringLiteral("QPSQL") : QStringLiteral("QSQLITE"),
                                                connectionName_);
    if (!postgres)
        db.setDatabaseName(connection.trimmed());
    else if (connection.trimmed().contains(QLatin1String("://")))
        ApplyUriForm(db, connection.trimmed());
    else
        ApplyKeywordForm(db, connection);
    if (!db.open()) {
        const QString reason = db.lastError().text();
        db = QSqlDatabase();
        QSqlDatabase::removeDatabase(connectionName_);
        throw EDatabaseError(QStringLiteral("Não foi possível conectar ao banco de dados: %1").arg(reason));
    }
    open_ = true;
}

void TdtmDBGeral::Disconnect()
{
    if (!QSqlDatabase::contains(connectionName_))
        return;
    {
        QSqlDatabase db = QSqlDatabase::database(connectionName_, false);
        db.close();
    }
    QSqlDatabase::removeDatabase(connectionName_);
    open_ = false;
}

bool TdtmDBGeral::Connected() const
{
    return open_;
}

QSqlDatabase TdtmDBGeral::Database()
{
    if (!open_) {
        const QString connection = TSession::Instance().DatabaseConnection;
        if (connection.trimmed().isEmpty())
            throw EDatabaseError(QStringLiteral("O banco de dados do sistema não está configurado."));
        Connect(connection);
    }
    return QSqlDatabase::database(connectionName_, false);
}

QString TdtmDBGeral::DriverName() const
{
    return open_ ? QSqlDatabase::database(connectionName_, false).driverName() : QString();
}
