// The package entry and lifecycle: the form and the data module live for one
// call of the entry; a start-up error is reported with code "002".

#include "Pkg_qdl00005.h"

#include <QVariantList>

#include "Cli_qdl00005.h"
#include "Srv_qdl00005.h"
#include "errors.h"
#include "messages.h"

namespace {

void noop() {}

void cliInitialize()
{
    boIdCriado = false;
}

void cliFinalize()
{
    stNrConf.clear();
    stNmConf.clear();
    CorButton.clear();
    CorFonte.clear();
    stCdfilial.clear();
}

const PackageUnitEntry kUnits[] = {
    {"_dll", noop, noop},
    {"Pkg_Lpx00002", noop, noop},
    {"Pkg_Lpx00005", noop, noop},
    {"Pkg_qdl00005", noop, noop},
    {"Srv_qdl00005", noop, noop},
    {"SysInit", noop, noop},
    {"Cli_qdl00005", cliInitialize, cliFinalize},
};
constexpr int kUnitCount = int(sizeof kUnits / sizeof kUnits[0]);
const PackageInfoTable kTable{kUnitCount, kUnits};

// Each unit starts on the first Initialize and stops on the matching last
// Finalize, however often the table is run.
int gUnitCounters[kUnitCount] = {};

void reportStartupError(const QString& text)
{
    Mensagem(text, QString(), QStringLiteral("N"), QStringLiteral("N"), 3, QString(), QStringLiteral("002"), 0,
             nullptr);
}

void freeScreen()
{
    delete frmConfMesa;
    frmConfMesa = nullptr;
    delete rdmConfMesa;
    rdmConfMesa = nullptr;
}

} // namespace

extern "C" {

void CriaTelaQdl00005(const QVariant* params, int highIndex, QVariant*)
{
    QVariantList copy;
    for (int i = 0; i <= highIndex && params; ++i)
        copy << params[i];

    frmConfMesa = nullptr; // a form left by the host is not ours to free
    try {
        frmConfMesa = new TfrmConfMesa(nullptr);
        frmConfMesa->InicializaForm(copy, highIndex);
        frmConfMesa->exec();
    } catch (const EAbort&) {
        // already told: the silent abort ends start-up without a further message
    } catch (const std::exception& e) {
        reportStartupError(QString::fromUtf8(e.what()));
    } catch (...) {
        freeScreen();
        throw;
    }
    freeScreen();
    copy.clear();
}

void Cli_qdl00005_CriaTelaQdl00005(const QVariant* params, int highIndex, QVariant* result)
{
    CriaTelaQdl00005(params, highIndex, result);
}

void Initialize()
{
    for (int i = 0; i < kUnitCount; ++i)
        if (gUnitCounters[i]++ == 0)
            kUnits[i].initialize();
}

void Finalize()
{
    for (int i = kUnitCount - 1; i >= 0; --i)
        if (gUnitCounters[i] > 0 && --gUnitCounters[i] == 0)
            kUnits[i].finalize();
}

const PackageInfoTable* GetPackageInfoTable()
{
    return &kTable;
}

const char* PackageVersion()
{
    return QDL_PACKAGE_VERSION;
}
}
