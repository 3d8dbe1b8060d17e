#include "errors.h"

#include <QCoreApplication>

EQdlError::EQdlError(const QString& message)
    : std::runtime_error(message.toUtf8().toStdString())
{
}

EAbort::EAbort() : EQdlError(QStringLiteral("Operation aborted")) {}

static QString describe(const QString& step, const DbError& error)
{
    return error.message().isEmpty() ? step : step + QStringLiteral(": ") + error.message();
}

EDatabaseError::EDatabaseError(const QString& step, const DbError& error)
    : EQdlError(describe(step, error)), m_step(step), m_error(error)
{
}

EServiceFailure::EServiceFailure(const QString& service, int code)
    : EQdlError(QCoreApplication::translate("EQdlError", "O serviço %1 falhou (código %2).").arg(service).arg(code)), m_code(code)
{
}
