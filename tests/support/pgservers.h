#pragma once

// Servers of a test's own, started and stopped through scripts/pgcluster.sh
// (a private server to stop under a screen, a primary with its standby),
// and a connection of the test's own on any connection string.

#include <QHash>
#include <QString>
#include <functional>

class TADOConnection;

// Runs the shell command after sourcing scripts/pgcluster.sh, with the
// variables in env added; fails the test when it does not end well. Answers
// what it printed.
QString runPgCluster(const QString& command, const QHash<QString, QString>& env = {});

// A server of the test's own whose connections over TCP need the password
// of its user qdl (scram-sha-256); url names no password. Stopped when the
// object goes; url is empty when it could not start (the test has failed).
class PasswordServer {
public:
    explicit PasswordServer(const QString& password);
    ~PasswordServer();
    PasswordServer(const PasswordServer&) = delete;
    PasswordServer& operator=(const PasswordServer&) = delete;
    QString url;

private:
    QHash<QString, QString> m_env;
};

// Opens a connection of its own on the connection string, runs body and
// removes the connection (a failure to open fails the test).
void withConnection(const QString& connectionString, const std::function<void(TADOConnection&)>& body);
