#pragma once

// No exception may cross a Qt frame: every event handler body runs through
// runGuarded(), which swallows the silent abort and hands any other error to
// the host's general error report. The screen stays open.

#include <QString>
#include <functional>

#include "qdl_data_global.h"

using ErrorReportProc = std::function<void(const QString& message)>;
QDL_DATA_EXPORT void setGeneralErrorReport(ErrorReportProc proc);
QDL_DATA_EXPORT void reportGeneralError(const QString& message);

// Runs the body; returns false when it ended with an error (abort included).
QDL_DATA_EXPORT bool runGuarded(const std::function<void()>& body) noexcept;
