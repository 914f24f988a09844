#pragma once
// A throwaway PostgreSQL 15 cluster for tests: initdb in a temporary directory, started with
// pg_ctl on a free loopback port, trusted local access for the user "postgres", stopped and
// deleted by the destructor. The PostgreSQL server refuses to run as root, so when the tests run
// as root the directory is given to the "postgres" user and the binaries run through runuser.
//
//   TPgCluster pg;
//   if (!pg.Start()) GTEST_SKIP() << pg.Error();      // binaries missing: skip, saying why
//   QString url = pg.CreateDatabase("labels");        // "postgresql://postgres@127.0.0.1:PORT/labels"
//
// Start() returns false only when the binaries are missing (Error() says which); any other
// failure (initdb or the start failing) also returns false with the tool's output in Error(),
// and Missing() tells the two apart so tests fail instead of skipping.

#include <QString>
#include <QStringList>
#include <QTemporaryDir>

#include <memory>

class TPgCluster {
public:
    TPgCluster();
    ~TPgCluster();
    TPgCluster(const TPgCluster&) = delete;
    TPgCluster& operator=(const TPgCluster&) = delete;

    static QString BinDir();   // $EST_PG_BIN or /usr/lib/postgresql/15/bin

    bool Start();              // initdb on first use, then start; keeps the data between Stop/Start
    void Stop();               // fast shutdown; the data stay until destruction
    bool Running() const { return running_; }
    bool Missing() const { return missing_; }
    QString Error() const { return error_; }
    int Port() const { return port_; }

    // Creates a database and returns its postgresql:// URL; empty on failure (see Error()).
    QString CreateDatabase(const QString& name);
    QString Url(const QString& database) const;

private:
    bool Run(const QString& tool, const QStringList& args, int timeoutMs = 60000);

    std::unique_ptr<QTemporaryDir> dir_;
    bool initialized_ = false, running_ = false, missing_ = false, asPostgresUser_ = false;
    int port_ = 0;
    QString error_;
};
