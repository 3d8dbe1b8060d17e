#include "guard.h"

#include <QCoreApplication>
#include <QDebug>

#include "errors.h"

static ErrorReportProc& errorReport()
{
    static ErrorReportProc proc;
    return proc;
}

void setGeneralErrorReport(ErrorReportProc proc)
{
    errorReport() = std::move(proc);
}

void reportGeneralError(const QString& message)
{
    if (errorReport())
        errorReport()(message);
    else
        qWarning().noquote() << message;
}

bool runGuarded(const std::function<void()>& body) noexcept
{
    try {
        body();
        return true;
    } catch (const EAbort&) {
        return false;
    } catch (const std::exception& e) {
        try {
            reportGeneralError(QString::fromUtf8(e.what()));
        } catch (...) {
            qWarning() << "error report failed:" << e.what();
        }
    } catch (...) {
        try {
            reportGeneralError(QCoreApplication::translate("EQdlError", "Erro inesperado."));
        } catch (...) {
        }
    }
    return false;
}
