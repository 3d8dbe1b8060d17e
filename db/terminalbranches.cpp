#include "terminalbranches.h"

#include <QCoreApplication>

#include "adoconnection.h"
#include "errors.h"
#include "statement.h"
#include "storedvalues.h"

namespace {

// The schema versions from which QDL_TERMINAL_FILIAL is there, and from
// which it keeps roles by identity (ROLOID) rather than by name.
constexpr int kTerminalListSchemaVersion = 2;
constexpr int kRoleIdentitySchemaVersion = 4;

// The role and its groups, however deep, by identity; each branch once.
constexpr char kBranchesByMembershipSql[] =
    "WITH RECURSIVE R(ROLOID) AS ("
    " SELECT CAST(to_regrole(quote_ident(current_user)) AS OID)"
    " UNION SELECT M.roleid FROM pg_auth_members M JOIN R ON M.member = R.ROLOID) "
    "SELECT DISTINCT current_user::text, T.CDFILIAL FROM QDL_TERMINAL_FILIAL T JOIN R ON T.ROLOID = R.ROLOID "
    "ORDER BY 2";
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
                     QString::fromLatin1(schemaVersion >= kRoleIdentitySchemaVersion ? kBranchesByMembershipSql : kBranchesByNameSql),
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
