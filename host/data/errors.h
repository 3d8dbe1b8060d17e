#pragma once

// The error kinds that travel through the screen. Every event handler runs
// inside runGuarded() (guard.h), which swallows EAbort and hands any other
// error to the host's general error report.

#include <QString>
#include "dberror.h"
#include <stdexcept>

#include "qdl_data_global.h"

// An error with an operator-readable message (UTF-8 in what()).
class QDL_DATA_EXPORT EQdlError : public std::runtime_error {
public:
    explicit EQdlError(const QString& message);
    QString message() const { return QString::fromUtf8(what()); }
};

// The silent abort: ends the running handler without a further message.
class QDL_DATA_EXPORT EAbort : public EQdlError {
public:
    EAbort();
};

// A failed database step: what we tried, and the database's own error.
class QDL_DATA_EXPORT EDatabaseError : public EQdlError {
public:
    EDatabaseError(const QString& step, const DbError& error);
    const QString& step() const { return m_step; }
    const DbError& sqlError() const { return m_error; }

private:
    QString m_step;
    DbError m_error;
};

// A service answered with a non-zero result code (an error escaped its trap).
class QDL_DATA_EXPORT EServiceFailure : public EQdlError {
public:
    EServiceFailure(const QString& service, int code);
    int code() const { return m_code; }

private:
    int m_code;
};
