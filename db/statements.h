#pragma once

// Codes and statement texts of the table-screen configuration. Each statement
// is one text for SQLite and PostgreSQL; the data module prepares them by
// component name (see TrdmConfMesa::statement), the layout file's writer
// (import and restore) uses the writes too.
//
// On PostgreSQL every statement that writes or locks runs as a function of
// the schema's owner made from this very text (serveroperations.h): a
// terminal's role holds no INSERT, UPDATE or DELETE, so it can take no lock
// beyond a reader's. Changing such a text needs a schema step that makes
// the functions again.

#include <QCoreApplication>
#include <QString>

namespace qdl {

// Result key of a refused delete.
inline constexpr const char* kMesaInd = "Mesa_Ind";
// Result key of a change that found no button to change: since this screen
// read it, another terminal removed it, changed its key, or changed the
// value being changed.
inline constexpr const char* kBotaoAlterado = "Botao_Alt";
// Result key of a change whose COMMIT reached the server but whose answer
// never came back (or that the server's standby did not confirm): it may be
// stored. The screen says so and shows what is stored.
inline constexpr const char* kGravacaoIncerta = "Grav_Inc";

enum class StatementKind {
    Read,
    Write,        // on PostgreSQL, run through the owner's function
    PostgresLock, // PostgreSQL only, run through the owner's function
};

struct StatementDef {
    const char* component;
    const char* purpose; // for error messages: "Erro ao <purpose>", translated where shown
    const char* sql;
    StatementKind kind = StatementKind::Read;

    bool postgresOnly() const { return kind == StatementKind::PostgresLock; }
    bool writes() const { return kind != StatementKind::Read; }
};

inline constexpr StatementDef kStatements[] = {
    {"adqPesqAmbientes", QT_TRANSLATE_NOOP("TrdmConfMesa", "ler os botões de ambiente"),
     "SELECT NRBUTTON, DSBUTTON, NRCOLORTEXT, NRCOLORBACK, CDIDENTBUTON FROM ITMENUCONFTE "
     "WHERE (CDFILIAL = :P_CDFILIAL ) AND (NRCONFTELA = :P_NRCONFTELA) AND (IDTPBUTTON = '4' )"},
    // A rename, and a colour below, is written only over the value the
    // screen read (":P_<column>_LIDO"): one another terminal or program
    // changed meanwhile changes no row, and the service answers
    // "Botao_Alt". Only the column written is compared. A caption read as
    // blank was stored blank or null alike.
    {"acmMudaNome", QT_TRANSLATE_NOOP("TrdmConfMesa", "mudar o nome do botão"),
     "UPDATE ITMENUCONFTE SET DSBUTTON = :P_DSBUTTON WHERE (CDFILIAL = :P_CDFILIAL ) AND "
     "(NRCONFTELA = :P_NRCONFTELA ) AND (IDTPBUTTON = :P_IDTPBUTTON ) AND (NRBUTTON = :P_NRBUTTON ) AND "
     "(NRBUTTONAUX = :P_NRBUTTONAUX ) AND (IDTPBUTONAUX = :P_IDTPBUTONAUX) AND "
     "(NRPGCONFTELA = :P_NRPGCONFTELA) AND (NRPGCONFTAUX = :P_NRPGCONFTAUX) AND "
     "(COALESCE(DSBUTTON, '') = :P_DSBUTTON_LIDO)", StatementKind::Write},
    {"adqPesqMesas", QT_TRANSLATE_NOOP("TrdmConfMesa", "ler os botões de mesa"),
     "SELECT NRBUTTON, DSBUTTON, NRCOLORTEXT, NRCOLORBACK FROM ITMENUCONFTE WHERE (CDFILIAL = :P_CDFILIAL ) "
     "AND (NRCONFTELA = :P_NRCONFTELA ) AND (NRPGCONFTELA = :P_NRPGCONFTELA) AND (IDTPBUTTON = '3' ) AND "
     "(IDTPBUTONAUX = '4' ) AND (NRBUTTONAUX = :P_NRBUTTONAUX ) AND (NRPGCONFTAUX = '1' )"},
    {"adqLoja", QT_TRANSLATE_NOOP("TrdmConfMesa", "ler a loja da configuração"),
     "SELECT CDLOJA FROM CONFTELA WHERE CDFILIAL = :P_CDFILIAL AND NRCONFTELA = :P_NRCONFTELA"},
    {"adqMesas", QT_TRANSLATE_NOOP("TrdmConfMesa", "ler as mesas disponíveis"),
     "SELECT M.NRMESA, M.NMMESA, IDSTMESAAUX FROM MESA M WHERE (CDFILIAL = :P_CDFILIAL) AND "
     "(CDLOJA = :P_CDLOJA ) AND (CDSALA = :P_CDSALA ) AND (IDSTMESA = 'A' ) AND (M.NRMESA NOT IN "
     "(SELECT CDIDENTBUTON FROM ITMENUCONFTE WHERE (CDFILIAL = :P_CDFILIAL ) AND "
     "(NRCONFTELA = :P_NRCONFTELA) AND (IDTPBUTTON = '3' ))) AND (NOT EXISTS (SELECT NRMESAPADRAO FROM LOJA L "
     "WHERE L.CDFILIAL = M.CDFILIAL AND L.CDLOJA = M.CDLOJA AND L.NRMESAPADRAO = M.NRMESA))"},
    // A table goes only under an area button that holds the table's area (in
    // any store of the branch); the update takes the row's lock, so another
    // terminal cannot remove or replace that area until the table is written.
    {"acmAmbienteDaMesa", QT_TRANSLATE_NOOP("TrdmConfMesa", "conferir o ambiente do botão"),
     "UPDATE ITMENUCONFTE SET CDIDENTBUTON = CDIDENTBUTON WHERE (CDFILIAL = :P_CDFILIAL) AND "
     "(NRCONFTELA = :P_NRCONFTELA) AND (IDTPBUTTON = :P_IDTPBUTONAUX) AND (NRBUTTON = :P_NRBUTTONAUX) AND "
     "(NRPGCONFTELA = :P_NRPGCONFTAUX) AND (CDIDENTBUTON IN (SELECT CDSALA FROM MESA WHERE "
     "(CDFILIAL = :P_CDFILIAL) AND (NRMESA = :P_CDIDENTBUTON)))", StatementKind::Write},
    {"acmInsere", QT_TRANSLATE_NOOP("TrdmConfMesa", "gravar o botão"),
     "INSERT INTO ITMENUCONFTE (CDFILIAL, NRCONFTELA, IDTPBUTTON, NRBUTTON, CDIDENTBUTON, DSBUTTON, "
     "NRCOLORTEXT, NRCOLORBACK, DSMESSAGEBUT, IDTPBUTONAUX, NRBUTTONAUX, NRPGCONFTELA, NRPGCONFTAUX, "
     "DTULTATUITCT) VALUES (:P_CDFILIAL, :P_NRCONFTELA, :P_IDTPBUTTON, :P_NRBUTTON, :P_CDIDENTBUTON, "
     ":P_DSBUTTON, :P_NRCOLORTEXT, :P_NRCOLORBACK, :P_DSMESSAGEBUT, :P_IDTPBUTONAUX, :P_NRBUTTONAUX, "
     ":P_NRPGCONFTELA, :P_NRPGCONFTAUX, :P_DTULTATUITCT)", StatementKind::Write},
    {"adqAmbientes", QT_TRANSLATE_NOOP("TrdmConfMesa", "ler os ambientes disponíveis"),
     "SELECT S.CDSALA, S.NMSALA FROM SALA S WHERE (CDFILIAL = :P_CDFILIAL) AND (IDSITSALA = 'A') AND "
     "(S.CDSALA NOT IN (SELECT CDIDENTBUTON FROM ITMENUCONFTE WHERE (CDFILIAL = :P_CDFILIAL) AND "
     "(NRCONFTELA = :P_NRCONFTELA) AND (IDTPBUTTON = '4')))"},
    // The button row is matched in the caller's branch too: every branch
    // numbers its configurations and buttons alike, so without it the other
    // branches' buttons answer as well (and the lookup grows with the chain).
    {"adqMesaNrButon", QT_TRANSLATE_NOOP("TrdmConfMesa", "ler a mesa do botão"),
     "SELECT S.CDSALA, S.NMSALA, M.NRMESA FROM SALA S, MESA M, ITMENUCONFTE IT WHERE (S.CDSALA = M.CDSALA) "
     "AND (M.CDFILIAL = :P_CDFILIAL) AND (M.CDFILIAL = S.CDFILIAL) AND (M.CDLOJA = :P_CDLOJA) AND "
     "(IT.IDTPBUTTON = :P_IDTPBUTTON) AND (IT.NRBUTTON = :P_NRBUTTON) AND (IT.NRPGCONFTELA = :P_NRPGCONFTELA) "
     "AND (IT.IDTPBUTONAUX = :P_IDTPBUTONAUX) AND (IT.NRBUTTONAUX = :P_NRBUTTONAUX) AND "
     "(IT.NRPGCONFTAUX = :P_NRPGCONFTAUX) AND (IT.NRCONFTELA = :P_NRCONFTELA) AND (IT.CDIDENTBUTON = NRMESA) "
     "AND (IT.CDFILIAL = :P_CDFILIAL)"},
    {"adqAmbNrButon", QT_TRANSLATE_NOOP("TrdmConfMesa", "ler o ambiente do botão"),
     "SELECT S.CDSALA, S.NMSALA, M.NRMESA FROM SALA S, MESA M, ITMENUCONFTE IT WHERE (S.CDSALA = M.CDSALA) "
     "AND (M.CDFILIAL = :P_CDFILIAL) AND (M.CDFILIAL = S.CDFILIAL) AND (M.CDLOJA = '01') AND "
     "(IT.IDTPBUTTON = :P_IDTPBUTTON) AND (IT.NRBUTTON = :P_NRBUTTON) AND (IT.NRPGCONFTELA = :P_NRPGCONFTELA) "
     "AND (IT.IDTPBUTONAUX = :P_IDTPBUTONAUX) AND (IT.NRBUTTONAUX = :P_NRBUTTONAUX) AND "
     "(IT.NRPGCONFTAUX = :P_NRPGCONFTAUX) AND (IT.NRCONFTELA = :P_NRCONFTELA) AND (IT.CDIDENTBUTON = S.CDSALA) "
     "AND (IT.CDFILIAL = :P_CDFILIAL)"},
    // DELETE with FROM: neither SQLite nor PostgreSQL takes "DELETE table".
    // The row must still stand for what the caller read: an area button that
    // another terminal gave to another area meanwhile is not removed.
    {"acmDelAmbiente", QT_TRANSLATE_NOOP("TrdmConfMesa", "excluir o botão"),
     "DELETE FROM ITMENUCONFTE WHERE (CDFILIAL = :P_CDFILIAL ) AND (NRCONFTELA = :P_NRCONFTELA ) AND "
     "(IDTPBUTTON = :P_IDTPBUTTON ) AND (NRBUTTON = :P_NRBUTTON ) AND (NRPGCONFTELA = :P_NRPGCONFTELA) AND "
     "(IDTPBUTONAUX = :P_IDTPBUTONAUX) AND (NRBUTTONAUX = :P_NRBUTTONAUX ) AND (NRPGCONFTAUX = :P_NRPGCONFTAUX) "
     "AND (CDIDENTBUTON = :P_CDIDENTBUTON)", StatementKind::Write},
    {"adqMesasAmb", QT_TRANSLATE_NOOP("TrdmConfMesa", "verificar as mesas pendentes do ambiente"),
     "SELECT M.CDLOJA, M.NRMESA, M.NMMESA, M.NRPESSOAMESA, M.IDSTMESA, M.DSPOSICMESA, M.IDSTMESAAUX, M.CDSALA, "
     "I.* FROM MESA M, ITMENUCONFTE I WHERE (M.CDSALA = :P_CDSALA) AND (M.IDSTMESAAUX IN ('O', 'S')) AND "
     "(I.CDIDENTBUTON = M.NRMESA) AND (I.CDFILIAL = M.CDFILIAL) AND (I.NRCONFTELA = :P_NRCONFTELA) AND "
     "(I.CDFILIAL = :P_CDFILIAL) AND (IDTPBUTONAUX = :P_IDTPBUTONAUX) AND (NRBUTTONAUX = :P_NRBUTTONAUX )"},
    {"adqTodasMesasAmb", QT_TRANSLATE_NOOP("TrdmConfMesa", "ler as mesas do ambiente"),
     "SELECT M.CDLOJA, M.NRMESA, M.NMMESA, M.NRPESSOAMESA, M.IDSTMESA, M.DSPOSICMESA, M.IDSTMESAAUX, M.CDSALA, "
     "I.* FROM MESA M, ITMENUCONFTE I WHERE (M.CDSALA = :P_CDSALA) AND (I.CDIDENTBUTON = M.NRMESA) AND "
     "(I.CDFILIAL = M.CDFILIAL) AND (I.NRCONFTELA = :P_NRCONFTELA) AND (I.CDFILIAL = :P_CDFILIAL) AND "
     "(IDTPBUTONAUX = :P_IDTPBUTONAUX) AND (NRBUTTONAUX = :P_NRBUTTONAUX )"},
    // The table-state checks of the delete name the button's own table in
    // their subquery: SQLite would otherwise list every deletable table of
    // the branch on each call (100 µs on a branch of 300 tables, 9 µs now).
    {"adqSTMesa", QT_TRANSLATE_NOOP("TrdmConfMesa", "verificar a situação da mesa"),
     "SELECT CDIDENTBUTON FROM ITMENUCONFTE WHERE (CDFILIAL = :P_CDFILIAL ) AND (NRCONFTELA = :P_NRCONFTELA ) "
     "AND (IDTPBUTTON = :P_IDTPBUTTON ) AND (NRBUTTON = :P_NRBUTTON ) AND (NRPGCONFTELA = :P_NRPGCONFTELA) AND "
     "(IDTPBUTONAUX = :P_IDTPBUTONAUX) AND (NRBUTTONAUX = :P_NRBUTTONAUX ) AND (NRPGCONFTAUX = :P_NRPGCONFTAUX) "
     "AND (CDIDENTBUTON IN (SELECT NRMESA AS CDIDENTBUTON FROM MESA M, SALA S WHERE (M.CDFILIAL = :P_CDFILIAL) "
     "AND (M.IDSTMESA = 'A' ) AND (S.CDSALA = M.CDSALA ) AND (M.CDFILIAL = S.CDFILIAL ) AND "
     "(IDSTMESAAUX IN ('D') ) AND (M.NRMESA = ITMENUCONFTE.CDIDENTBUTON) ))"},
    {"acmDeleta", QT_TRANSLATE_NOOP("TrdmConfMesa", "excluir o botão de mesa"),
     "DELETE FROM ITMENUCONFTE WHERE (CDFILIAL = :P_CDFILIAL ) AND (NRCONFTELA = :P_NRCONFTELA ) AND "
     "(IDTPBUTTON = :P_IDTPBUTTON ) AND (NRBUTTON = :P_NRBUTTON ) AND (NRPGCONFTELA = :P_NRPGCONFTELA) AND "
     "(IDTPBUTONAUX = :P_IDTPBUTONAUX) AND (NRBUTTONAUX = :P_NRBUTTONAUX ) AND (NRPGCONFTAUX = :P_NRPGCONFTAUX) "
     "AND CDIDENTBUTON IN (SELECT NRMESA FROM MESA WHERE (CDFILIAL = :P_CDFILIAL ) AND (IDSTMESA = 'A' ) AND "
     "(IDSTMESAAUX IN ('D')) AND (NRMESA = ITMENUCONFTE.CDIDENTBUTON))", StatementKind::Write},
    // PostgreSQL only: the tables of an area, locked until the area's removal
    // ends, so that no table becomes occupied between its check and the
    // deletes (SQLite's write transaction already keeps every writer out).
    {"adqTravaMesasAmb", QT_TRANSLATE_NOOP("TrdmConfMesa", "reservar as mesas do ambiente"),
     "SELECT M.NRMESA FROM MESA M WHERE (M.CDFILIAL = :P_CDFILIAL) AND (M.CDSALA = :P_CDSALA) FOR SHARE",
     StatementKind::PostgresLock},
    // A colour read as null is null still; a colour is compared as a
    // number (the value read goes as decimal text, 255 is 255.0).
    {"acmMudaCor", QT_TRANSLATE_NOOP("TrdmConfMesa", "mudar a cor do botão"),
     "UPDATE ITMENUCONFTE SET NRCOLORBACK = :P_NRCOLORBACK WHERE (CDFILIAL = :P_CDFILIAL ) AND "
     "(NRCONFTELA = :P_NRCONFTELA ) AND (IDTPBUTTON = :P_IDTPBUTTON ) AND (NRBUTTON = :P_NRBUTTON ) AND "
     "(NRPGCONFTELA = :P_NRPGCONFTELA) AND (IDTPBUTONAUX = :P_IDTPBUTONAUX) AND "
     "(NRBUTTONAUX = :P_NRBUTTONAUX ) AND (NRPGCONFTAUX = :P_NRPGCONFTAUX) AND "
     "(NRCOLORBACK IS NOT DISTINCT FROM :P_NRCOLORBACK_LIDO)", StatementKind::Write},
    {"acmMudaFonte", QT_TRANSLATE_NOOP("TrdmConfMesa", "mudar a cor do texto do botão"),
     "UPDATE ITMENUCONFTE SET NRCOLORTEXT = :P_NRCOLORTEXT WHERE (CDFILIAL = :P_CDFILIAL ) AND "
     "(NRCONFTELA = :P_NRCONFTELA ) AND (IDTPBUTTON = :P_IDTPBUTTON ) AND (NRBUTTON = :P_NRBUTTON ) AND "
     "(NRPGCONFTELA = :P_NRPGCONFTELA) AND (IDTPBUTONAUX = :P_IDTPBUTONAUX) AND "
     "(NRBUTTONAUX = :P_NRBUTTONAUX ) AND (NRPGCONFTAUX = :P_NRPGCONFTAUX) AND "
     "(NRCOLORTEXT IS NOT DISTINCT FROM :P_NRCOLORTEXT_LIDO)", StatementKind::Write},

    // The layout file's writer (import and restore). It changes a button's
    // caption, colours and message in place, keeping the row's history whole.
    {"acmMudaBotao", QT_TRANSLATE_NOOP("TrdmConfMesa", "mudar o botão"),
     "UPDATE ITMENUCONFTE SET DSBUTTON = :P_DSBUTTON, NRCOLORTEXT = :P_NRCOLORTEXT, NRCOLORBACK = :P_NRCOLORBACK, "
     "DSMESSAGEBUT = :P_DSMESSAGEBUT, DTULTATUITCT = :P_DTULTATUITCT WHERE (CDFILIAL = :P_CDFILIAL ) AND "
     "(NRCONFTELA = :P_NRCONFTELA ) AND (IDTPBUTTON = :P_IDTPBUTTON ) AND (NRBUTTON = :P_NRBUTTON ) AND "
     "(NRPGCONFTELA = :P_NRPGCONFTELA) AND (IDTPBUTONAUX = :P_IDTPBUTONAUX) AND "
     "(NRBUTTONAUX = :P_NRBUTTONAUX ) AND (NRPGCONFTAUX = :P_NRPGCONFTAUX)",
     StatementKind::Write},
    // PostgreSQL only: the configuration's rows read are the rows written;
    // a screen that changes one meanwhile waits for the writer.
    {"adqTravaLeiaute", QT_TRANSLATE_NOOP("TrdmConfMesa", "travar o leiaute da configuração"),
     "SELECT 1 FROM ITMENUCONFTE WHERE (CDFILIAL = :P_CDFILIAL) AND (NRCONFTELA = :P_NRCONFTELA) FOR UPDATE",
     StatementKind::PostgresLock},
    // PostgreSQL only: the tables that have a button in the configuration
    // (those whose buttons a write may remove), locked until the writer
    // ends, so that none becomes occupied between the check and the deletes.
    {"adqTravaMesasConf", QT_TRANSLATE_NOOP("TrdmConfMesa", "reservar as mesas da configuração"),
     "SELECT M.NRMESA FROM MESA M WHERE (M.CDFILIAL = :P_CDFILIAL) AND (M.NRMESA IN (SELECT CDIDENTBUTON FROM "
     "ITMENUCONFTE WHERE (CDFILIAL = :P_CDFILIAL) AND (NRCONFTELA = :P_NRCONFTELA) AND (IDTPBUTTON = '3'))) FOR SHARE",
     StatementKind::PostgresLock},
};

// The statement of a component; nullptr for an unknown name.
inline const StatementDef* statementDef(const char* component)
{
    for (const auto& s : kStatements)
        if (qstrcmp(s.component, component) == 0)
            return &s;
    return nullptr;
}

inline const char* statementText(const char* component)
{
    const StatementDef* def = statementDef(component);
    return def ? def->sql : nullptr;
}

} // namespace qdl
