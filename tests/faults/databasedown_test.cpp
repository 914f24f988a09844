// The database behind the application server locked by another program (SQLite) or gone
// (PostgreSQL): the server answers that the database is unavailable and why, the screens show
// it, nothing changes on the screen or in the database, and once the fault clears the same
// action works.

#include "faults/roadfixture.h"

#include "package/pkg_est99000.h"
#include "screens/Cli_est99020/cli_est99020.h"
#include "support/pgcluster.h"

#include <QPointer>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QTest>

namespace {

const QString kLocked = QStringLiteral(
    "Banco de dados indisponível: o banco de dados está bloqueado por outra operação; tente novamente em instantes.");
const QString kGone = QStringLiteral("Banco de dados indisponível: não foi possível falar com o banco de dados (");

// Another program holding the SQLite database's write lock for as long as it lives.
class TSqliteLock {
public:
    explicit TSqliteLock(const QString& file)
    {
        QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), kName);
        db.setDatabaseName(file);
        locked_ = db.open() && QSqlQuery(db).exec(QStringLiteral("BEGIN EXCLUSIVE"));
    }
    ~TSqliteLock() { Release(); }
    bool Locked() const { return locked_; }
    void Release()
    {
        if (!QSqlDatabase::contains(kName))
            return;
        {
            QSqlDatabase db = QSqlDatabase::database(kName);
            QSqlQuery(db).exec(QStringLiteral("ROLLBACK"));
            db.close();
        }
        QSqlDatabase::removeDatabase(kName);
    }

private:
    static inline const QString kName = QStringLiteral("faults-locker");
    bool locked_ = false;
};

class DatabaseDown : public RoadTest {
protected:
    // Splits the marked label 00004 (12,5 kg) into two of 6,25 kg through the query screen's
    // Split command; `confirmed` runs after each confirmation with the split screen still there
    // or gone, and returns whether to confirm once more.
    void SplitMarkedLabel(const std::function<bool(TfrmDesmembramento*)>& confirmed)
    {
        ui.OnModal = [&](TForm* form) {
            QPointer<TfrmDesmembramento> split = qobject_cast<TfrmDesmembramento*>(form);
            ASSERT_TRUE(split);
            split->edtQtdEtiqueta->setFocus();
            QTest::keyClicks(split->edtQtdEtiqueta, QStringLiteral("2"));
            split->edtPeso->setFocus();
            QTest::keyClicks(split->edtPeso, QStringLiteral("6,25"));
            QTest::mouseClick(split->btnGeraEtiqueta, Qt::LeftButton);
            do {
                ui.Answers.enqueue(true);
                QTest::mouseClick(split->sbtConfirmar, Qt::LeftButton);
            } while (confirmed(split));
        };
        Click(tela->btnDesmembrar);
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        ui.OnModal = nullptr;
    }

    QStringList Statuses(int port) const
    {
        QStringList statuses;
        const QMap<QString, TStoredLabel> stored = StoredLabels(port);
        for (auto it = stored.begin(); it != stored.end(); ++it)
            statuses << it.key().right(5) + QLatin1Char(' ') + it->status;
        return statuses;
    }
};

} // namespace

TEST_F(DatabaseDown, ALockedSqliteDatabaseRefusesGroupingAndSplitUntilTheLockGoes)
{
    ASSERT_NO_FATAL_FAILURE(StartServer(0, {QStringLiteral("--busy-timeout"), QStringLiteral("300")}));
    ASSERT_NO_FATAL_FAILURE(OpenScreen(server.Port()));
    ASSERT_NO_FATAL_FAILURE(OpenDemoLabels());
    const QStringList stored = Statuses(server.Port());
    auto lock = std::make_unique<TSqliteLock>(database);
    ASSERT_TRUE(lock->Locked());

    MarkLabels({0, 1});
    ASSERT_NO_FATAL_FAILURE(Group());
    EXPECT_EQ(Errors(), QStringList{kLocked}) << Log().toStdString();
    EXPECT_TRUE(ui.Texts(TUiEntryKind::Information).isEmpty());
    ExpectNothingLeftRunning();
    // Reading goes on while the lock is held: the refresh shows the server's labels, unchanged.
    EXPECT_EQ(ListedLabels().size(), 6);
    EXPECT_EQ(inEtiqMark, 0);
    EXPECT_EQ(tela->cdsAuxEtiqueta->ChangeCount(), 0);
    EXPECT_FALSE(tela->cdsRelEtiquetas->Locate(QStringLiteral("CDCODBARRAETIQ"), {DemoBarcode("0001", "00007")}));
    EXPECT_EQ(Statuses(server.Port()), stored);

    // The split screen stays open with its batch after the refusal and sends it again once the
    // lock is gone.
    MarkLabels({3});
    ui.Clear();
    int confirmations = 0;
    QStringList shownWhileOpen;
    SplitMarkedLabel([&](TfrmDesmembramento* split) {
        if (++confirmations == 1) {
            EXPECT_TRUE(split && split->isVisible());
            EXPECT_EQ(split ? split->cdsInsEtiqueta->RecordCount() : 0, 2);
            shownWhileOpen = Errors();
            lock->Release();
            return true;
        }
        return false;
    });
    EXPECT_EQ(shownWhileOpen, QStringList{kLocked});
    EXPECT_EQ(Errors(), QStringList{kLocked}) << Log().toStdString();
    EXPECT_EQ(confirmations, 2);
    EXPECT_FALSE(frmDesmembramento);
    ExpectNothingLeftRunning();
    const QMap<QString, TStoredLabel> after = StoredLabels(server.Port());
    EXPECT_EQ(after.value(DemoBarcode("0001", "00004")).status, QStringLiteral("I"));
    EXPECT_DOUBLE_EQ(after.value(DemoBarcode("0001", "00007")).weight, 6.25);
    EXPECT_DOUBLE_EQ(after.value(DemoBarcode("0001", "00008")).weight, 6.25);
    // The query screen shows them.
    EXPECT_TRUE(tela->cdsEtiqueta->Locate(QStringLiteral("CDCODBARRAETIQ"), {DemoBarcode("0001", "00008")}));

    ui.Clear();
    MarkLabels({0, 1});
    ASSERT_NO_FATAL_FAILURE(Group());
    EXPECT_TRUE(Errors().isEmpty()) << Log().toStdString();
    EXPECT_EQ(ui.Texts(TUiEntryKind::Information), QStringList{QStringLiteral("Agrupamento realizado com sucesso.")});
}

TEST_F(DatabaseDown, PostgresqlGoneMidSessionIsShownAndTheScreenWorksWhenItIsBack)
{
    TPgCluster pg;
    if (!pg.Start()) {
        if (pg.Missing())
            GTEST_SKIP() << pg.Error().toStdString();
        FAIL() << pg.Error().toStdString();
    }
    database = pg.CreateDatabase(QStringLiteral("etiquetas"));
    ASSERT_FALSE(database.isEmpty()) << pg.Error().toStdString();
    // One worker, so that every call after the restart goes through the connection that saw
    // the database go.
    ASSERT_NO_FATAL_FAILURE(StartServer(0, {QStringLiteral("--threads"), QStringLiteral("1")}));
    ASSERT_NO_FATAL_FAILURE(OpenScreen(server.Port()));
    ASSERT_NO_FATAL_FAILURE(OpenDemoLabels());
    MarkLabels({0, 1});
    const TScreenState before = State();
    pg.Stop();

    ASSERT_NO_FATAL_FAILURE(Group());
    ASSERT_EQ(Errors().size(), 1) << Log().toStdString();
    EXPECT_TRUE(Errors().first().startsWith(kGone)) << Errors().first().toStdString();
    EXPECT_TRUE(ui.Texts(TUiEntryKind::Information).isEmpty());
    ExpectNothingLeftRunning();
    ExpectState(before);

    ui.Clear();
    ASSERT_NO_FATAL_FAILURE(Refresh());
    ASSERT_EQ(Errors().size(), 1) << Log().toStdString();
    EXPECT_TRUE(Errors().first().startsWith(kGone)) << Errors().first().toStdString();
    ExpectState(before);

    ASSERT_TRUE(pg.Start()) << pg.Error().toStdString();
    ui.Clear();
    ASSERT_NO_FATAL_FAILURE(Group());
    EXPECT_TRUE(Errors().isEmpty()) << Log().toStdString();
    EXPECT_EQ(ui.Texts(TUiEntryKind::Information), QStringList{QStringLiteral("Agrupamento realizado com sucesso.")});
    EXPECT_EQ(Current(tela->cdsEtiqueta, "CDCODBARRAETIQ"), DemoBarcode("0001", "00007"));
    const QMap<QString, TStoredLabel> stored = StoredLabels(server.Port());
    EXPECT_EQ(stored.value(DemoBarcode("0001", "00001")).status, QStringLiteral("I"));
    EXPECT_EQ(stored.value(DemoBarcode("0001", "00007")).status, QStringLiteral("A"));
}
