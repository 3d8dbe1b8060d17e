#pragma once

// Tells when another session commits a change to the buttons of one branch
// and configuration, so an open screen can show it.
//   PostgreSQL: a trigger on ITMENUCONFTE sends NOTIFY "qdl_layout" with
//   "branch-configuration"; the session listens on its own connection.
//   SQLite: PRAGMA data_version on a light timer; when another connection
//   has committed, one look at the configuration's rows says whether they
//   changed.
// The trigger comes with the schema. A PostgreSQL database without it on
// ITMENUCONFTE, or with it disabled, is watched like SQLite, by looking at
// the rows every second, and the log says so once.

#include <QObject>
#include <QString>
#include <QTimer>
#include <functional>
#include <memory>

class TADOConnection;
class TADOQuery;

class LayoutWatch : public QObject {
public:
    // schemaVersion, when given, hears the schema's version whenever a
    // PostgreSQL session starts listening (it comes free with the LISTEN).
    LayoutWatch(TADOConnection* connection, QString cdfilial, QString nrconftela, std::function<void()> changed,
                std::function<void(int)> schemaVersion = {}, QObject* parent = nullptr);
    ~LayoutWatch() override;

    static constexpr int kTickMs = 250;

    // What a PostgreSQL session sends as it starts listening: the channel
    // and the reading query beside the LISTEN. Sent ahead with a screen's
    // opening reads (qdl::Ahead), their answer is the watch's.
    static QString channel();
    static QByteArray listenQuery();

private:
    void start();
    void tick();
    void notified(const QString& on, const QString& payload);
    bool listenForChanges(); // LISTEN; false when no enabled trigger notifies
    // The configuration's rows in one text; empty when it cannot be read.
    QString signature();

    TADOConnection* m_connection;
    QString m_cdfilial, m_nrconftela;
    std::function<void()> m_changed;
    std::function<void(int)> m_schemaVersion;
    QTimer m_timer;
    std::unique_ptr<TADOQuery> m_signatureQuery;
    QString m_signature;
    // The signature was taken before this connection's latest own commit:
    // compared with it, another program's write that puts back what this
    // screen changed would look like no change at all.
    bool m_signatureStale = false;
    quint64 m_ownCommits = 0;
    qint64 m_version = -1;
    bool m_notifying = false; // PostgreSQL with the trigger, listening
    int m_ticks = 0;
};
