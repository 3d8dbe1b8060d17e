#include "messages.h"

#include <QCoreApplication>
#include <QDebug>

#include "errors.h"
#include "storedvalues.h"

QString TMessages::Msg(const QString& key) const
{
    for (const QString& line : Messages) {
        const qsizetype bar = line.indexOf(QLatin1Char('|'));
        if (bar >= 0 && line.left(bar) == key) {
            const QString text = line.mid(bar + 1);
            return QCoreApplication::translate("TMessages", text.toUtf8().constData());
        }
    }
    return key;
}

static MensagemProc& currentProc()
{
    static MensagemProc proc;
    return proc;
}

void setMensagemProc(MensagemProc proc)
{
    currentProc() = std::move(proc);
}

bool Mensagem(const QString& text, const QString&, const QString&, const QString& answerFlag, int kind,
              const QString&, const QString& code, int, TClientDataSet*)
{
    // Messages name stored values (captions, names, codes, the database's
    // own error texts): no control character of theirs reaches the message
    // box or, without one, the terminal. The message's own lines stay.
    const MessageRequest request{printableText(text, LineBreaks::Keep), answerFlag, kind, code};
    if (!currentProc()) {
        // No host dialog installed (a batch run): say it where someone can see it.
        qWarning().noquote() << (code.isEmpty() ? QString() : code + QStringLiteral(": ")) + request.text;
        return false;
    }
    return currentProc()(request);
}

ServiceResult MensagemMetodo(const ServiceResult& value, bool, int, const QString& service,
                             const QString& unit, const QString& arguments, const QString&)
{
    if (!value.isError())
        return value;
    const QString text = QCoreApplication::translate(
        "MensagemMetodo", "O serviço %1 (%2) falhou.\n%3\nArgumentos: %4")
        .arg(service, unit, value.toText(), printableText(arguments)); // the arguments: one line
    Mensagem(text, {}, QStringLiteral("N"), QStringLiteral("N"), 3, {}, {}, 0, nullptr);
    throw EAbort();
}
