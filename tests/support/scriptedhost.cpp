#include "scriptedhost.h"

#include "clientdataset.h"
#include "guard.h"
#include "servicecall.h"
#include "siblings.h"

ScriptedHost::ScriptedHost()
{
    Pesquisa = [this](TClientDataSet& ds, const QString& figura, const QString& flag, int c1, int c2, int c3, int c4,
                      int last) {
        PickCall call{ds.name(), figura, flag, {c1, c2, c3, c4}, last, {}};
        for (int r = 0; r < ds.RecordCount(); ++r)
            call.rows << ds.valueAt(r, 0).toString();
        pickCalls << call;
        if (picks.empty())
            return false;
        const auto [field, value] = picks.front();
        picks.pop_front();
        if (field.isEmpty())
            return false;
        return ds.Locate(field, value, true);
    };
    TecladoAlfaNumerico = [this](const QString& initial, int, int, int) {
        keyboardInitial << initial;
        if (typed.empty())
            return QStringLiteral("@");
        const QString t = typed.front();
        typed.pop_front();
        return t;
    };
    CriaTelaQdl00006 = [this](const QVariantList&, QVariant& result) {
        ++colourCalls;
        QVariantList list = result.toList();
        list.resize(10);
        list[0] = colours.empty() ? QStringLiteral("X") : colours.front();
        if (!colours.empty())
            colours.pop_front();
        result = list;
    };
    setMensagemProc([this](const MessageRequest& r) {
        messages << r;
        if (!r.isQuestion())
            return true;
        if (answers.empty())
            return true;
        const bool a = answers.front();
        answers.pop_front();
        return a;
    });
    setGeneralErrorReport([this](const QString& m) { errors << m; });
    serviceCallObserver() = [this](const QString& s, const QString& a) { serviceCalls << s + QLatin1Char(':') + a; };
}

ScriptedHost::~ScriptedHost()
{
    Pesquisa = nullptr;
    TecladoAlfaNumerico = nullptr;
    CriaTelaQdl00006 = nullptr;
    setMensagemProc(nullptr);
    setGeneralErrorReport(nullptr);
    serviceCallObserver() = nullptr;
}

QStringList ScriptedHost::messageTexts() const
{
    QStringList t;
    for (const auto& m : messages)
        t << m.text;
    return t;
}

QStringList ScriptedHost::services() const
{
    QStringList s;
    for (const QString& c : serviceCalls)
        s << c.section(QLatin1Char(':'), 0, 0);
    return s;
}

void ScriptedHost::clearRecords()
{
    pickCalls.clear();
    keyboardInitial.clear();
    colourCalls = 0;
    messages.clear();
    errors.clear();
    serviceCalls.clear();
}
