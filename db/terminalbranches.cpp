#include "terminalbranches.h"

#include <QCoreApplication>

#include "adoconnection.h"
#include "errors.h"
#include "statement.h"
#include "storedvalues.h"

namespace {

// The schema versions from which QDL_TERMINAL_FILIAL is there, from which
// it keeps roles by identity (ROLOID) rather than by name, and from which a
// role is a terminal of the branches of every listed role it is a member
// of (the server's QDL_PAPEIS, which its policies use too).
constexpr int kTerminalListSchemaVersion = 2;
constexpr int kRoleIdentitySchemaVersion = 4;
constexpr int kMembershipSchemaVersion = 8;

constexpr char kBranchesByMembershipSql[] =
    "SELECT DISTINCT current_user::text, T.CDFILIAL FROM QDL_TERMINAL_FILIAL T "
    "WHERE T.ROLOID IN (SELECT P FROM QDL_PAPEIS(current_user) P) ORDER BY 2";
constexpr char kBranchesByIdentitySql[] =
    "SELECT current_user::text, CDFILIAL FROM QDL_TERMINAL_FILIAL WHERE ROLOID = to_regrole(quote_ident(current_user)) "
    "ORDER BY CDFILIAL";
constexpr char kBranchesByNameSql[] =
    "SELECT current_user::text, CDFILIAL FROM QDL_TERMINAL_FILIAL WHERE ROLNAME = current_user::text ORDER BY CDFILIAL";

QString tr(const char* text)
{
    return QCoreApplication::translate("TerminalBranches", text);
}

} // namespace

TerminalBranches terminalBranchesOf(TADOConnection& db, int schemaVersion)
{
    TerminalBranches t;
    if (!db.isPostgres() || schemaVersion < kTerminalListSchemaVersion)
        return t;
    qdl::Statement q(db,
                     QString::fromLatin1(schemaVersion >= kMembershipSchemaVersion    ? kBranchesByMembershipSql
                                         : schemaVersion >= kRoleIdentitySchemaVersion ? kBranchesByIdentitySql
                                                                                       : kBranchesByNameSql),
                     tr("Erro ao ler as filiais do papel"));
    q.forEachRow([&t](const TADOQuery& row) {
        t.role = row.value(0).toString();
        t.branches << row.value(1).toString();
    });
    return t;
}

void requireBranchReadable(TADOConnection& db, const QString& branch, int schemaVersion)
{
    const TerminalBranches t = terminalBranchesOf(db, schemaVersion);
    if (t.mayRead(branch))
        return;
    const auto quoted = [](const QString& text) { return QLatin1Char('"') + printableText(text) + QLatin1Char('"'); };
    throw EQdlError(tr("O papel %1 é de terminal das filiais %2 e não pode ler nem mudar a filial %3; "
                       "rode o comando com um papel dessa filial ou com o dono do esquema.")
                        .arg(quoted(t.role), printableText(t.branches.join(QStringLiteral(", "))), quoted(branch)));
}
