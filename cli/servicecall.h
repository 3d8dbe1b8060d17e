#pragma once

// How the client calls a service: a failing result code raises at once, then
// MensagemMetodo decides with the service's name, the unit and the argument
// text; what it hands back is the value to use. A database error never comes
// back from here: MensagemMetodo shows it and ends the handler.

#include <QString>
#include <QStringList>
#include <functional>

#include "datapacket.h"
#include "errors.h"
#include "messages.h"

inline const QString kUnitName = QStringLiteral("Cli_Qdl00005");

// Tests watch the calls the screen makes (service name, argument text).
using ServiceCallObserver = std::function<void(const QString& service, const QString& arguments)>;
ServiceCallObserver& serviceCallObserver();

// A call whose argument text is given apart from the call itself: only for a
// service whose text is not its argument list (getInsere).
template <class Call>
ServiceResult callServiceWithText(const QString& service, const QStringList& argumentText, Call&& call)
{
    const QString arguments = argumentText.join(QLatin1Char('-'));
    if (serviceCallObserver())
        serviceCallObserver()(service, arguments);
    ServiceResult result;
    const int code = call(result);
    if (code != 0)
        throw EServiceFailure(service, code);
    return MensagemMetodo(result, true, 0, service, kUnitName, arguments, QString());
}

// The usual call: the text arguments, written once, are what the service
// receives and, in the same order, the argument text.
template <class Service, class... Arguments>
ServiceResult callService(const QString& service, Service&& function, const Arguments&... arguments)
{
    return callServiceWithText(service, QStringList{arguments...},
                               [&](ServiceResult& out) { return function(arguments..., out); });
}

// getMudaFonte answers its value directly and has no result code.
template <class Service, class... Arguments>
ServiceResult callServiceDirect(const QString& service, Service&& function, const Arguments&... arguments)
{
    const QString argumentText = QStringList{arguments...}.join(QLatin1Char('-'));
    if (serviceCallObserver())
        serviceCallObserver()(service, argumentText);
    return MensagemMetodo(function(arguments...), true, 0, service, kUnitName, argumentText, QString());
}
