#pragma once

// A configuration's layout taken out of the database and put back: the
// layout file (`--export-layout`, `--import-layout`, docs/layout-format.md),
// the layout as it stood at a past time (`--restore`, from QDL_HISTORICO),
// and the one place that writes a whole layout into a configuration.

#include <QByteArray>
#include <QDateTime>
#include <QList>
#include <QString>
#include <QStringList>
#include <QHash>
#include <array>
#include <optional>
#include <vector>

#include "layoutrules.h"

class TADOConnection;

using qdl::layout::ButtonRow;

// The file's order, which makes an export the same every time: area buttons
// before table buttons, tables by area button, page (as a number) and
// button number. Total over the key.
void sortLayout(QList<ButtonRow>& buttons);

// Buttons to be written into a configuration, held in little more room than
// their texts take: every text in one buffer and, for each button, where its
// own lie. A ButtonRow takes some 300 bytes before its texts, six times a
// layout file's line; held this way a large file's buttons take about two
// and a half times the file. A button is built, with texts of its own, each
// time it is asked for.
class LayoutButtons {
public:
    LayoutButtons() = default;
    LayoutButtons(const QList<ButtonRow>& buttons); // NOLINT(google-explicit-constructor): any list of buttons is one

    void reserve(qsizetype buttons, qsizetype characters);
    void append(const ButtonRow& b);
    void squeeze(); // gives back what reserve() took beyond the buttons appended
    qsizetype size() const { return qsizetype(m_buttons.size()); }
    QList<ButtonRow> toList() const;
    // visit(ButtonRow) for each button, in the order appended.
    template <class Visit>
    void forEach(Visit&& visit) const
    {
        qsizetype start = 0;
        for (const Packed& p : m_buttons)
            visit(built(p, start));
    }

private:
    static constexpr int kTexts = 10; // the key's six, the code, caption, message and time of the last change
    static constexpr quint32 kAbsent = 0xffffffff;
    struct Packed {
        std::array<quint32, kTexts> sizes{}; // each text's length, kAbsent for none; they follow the last button's
        double textColour = 0, backColour = 0;
        bool hasTextColour = false, hasBackColour = false;
    };
    // The button p, whose texts start at `start`; moves `start` past them.
    ButtonRow built(const Packed& p, qsizetype& start) const;

    QString m_texts;
    std::vector<Packed> m_buttons;
};

// ---- The layout file ----
inline constexpr char kLayoutFileFormat[] = "quadrel-layout";
inline constexpr int kLayoutFileVersion = 1;

// The file's text for these buttons (sorted here).
QByteArray layoutFileText(QList<ButtonRow> buttons);
// The buttons of a file's text. Throws EQdlError naming the line when the
// file is not one this program writes: another format or version, a line
// that is not a button, a key or a code twice.
LayoutButtons parseLayoutFile(const QByteArray& text);

// ---- Reading a configuration ----
// The configuration's buttons as stored now. Throws EDatabaseError.
QList<ButtonRow> readLayout(TADOConnection& db, const QString& branch, const QString& configuration);

// The configuration's buttons as they stood at `at` (in any time zone; compared
// in UTC with QDL_HISTORICO.DTALTERACAO): for each key, the row before the
// first change recorded after `at`, else the row as it is now. Throws
// EQdlError when the database keeps no history, EDatabaseError.
QList<ButtonRow> readLayoutAt(TADOConnection& db, const QString& branch, const QString& configuration,
                                 const QDateTime& at);

// Throws EQdlError, in words an administrator can act on, when the
// configuration cannot be read or written here: on PostgreSQL a terminal
// role named for other branches only; the CONFTELA row missing.
void requireConfiguration(TADOConnection& db, const QString& branch, const QString& configuration);
// ... with the schema's version read already.
void requireConfiguration(TADOConnection& db, const QString& branch, const QString& configuration, int schemaVersion);

// The chain's central branch: its configuration 00001 is the layout the
// screen edits and the others receive, so --all-branches leaves it out.
inline constexpr char kCentralBranch[] = "9999";

// The branches, but the central one, that have the configuration (a
// CONFTELA row), by code. On PostgreSQL a terminal role sees its own
// branches only. Throws EDatabaseError.
QStringList branchesWithConfiguration(TADOConnection& db, const QString& configuration);

// ---- Writing a configuration ----
struct LayoutChanges {
    QStringList added, changed, removed; // one readable line a button
    // Buttons whose area or table the branch lacks, and why: every one
    // counted, the first kMostSkippedLines of them in words (a file of
    // another chain's tables would otherwise cost a line for each of its
    // buttons, for each branch).
    QStringList skipped;
    qsizetype skippedCount = 0;
    static constexpr qsizetype kMostSkippedLines = 1000;
    QStringList problems;                // the layout check's, when it refused the result
    QStringList inUse;                   // buttons it would remove of tables in use: nothing is written then
    // Another session held the configuration's rows or its tables past the
    // wait a command gives them: who (role, program, since when, as the
    // server shows them). Nothing was read or written then.
    QString heldBy;
    bool held() const { return !heldBy.isEmpty(); }
    bool refused() const { return !problems.isEmpty() || !inUse.isEmpty(); }
    bool written = false; // committed (never on a dry run or a refusal)
};

// Makes the configuration's layout the buttons given, in one transaction:
// areas and tables are matched by code in the target branch; a button whose
// area (SALA) or table (MESA, in its button's area) the branch lacks is
// skipped and listed, and so are the table buttons under a skipped area
// button. A button of a table that is in use (occupied or reserved) is never
// removed, as on the screen: such a write is refused whole and each table
// listed in inUse. The result is checked (consistency.h) before the commit;
// when the check finds a problem in the configuration, or on a dry run, the
// transaction is rolled back. On PostgreSQL it waits a few seconds at most
// for the branch's locks: a branch another session holds longer comes back
// held (heldBy), unread and unwritten. Throws EQdlError / EDatabaseError
// (nothing written then).
LayoutChanges applyLayout(TADOConnection& db, const QString& branch, const QString& configuration,
                          const LayoutButtons& buttons, bool dryRun);

// One layout into many branches over one connection: for each branch, what
// applyLayout does, with the same report. On a PostgreSQL schema from
// version 6 the branches go to the server together, a few dozen at a time:
// their reads in one round trip, in one snapshot, and then their writes in
// another, each branch in a transaction of its own that the server refuses
// unless, under the layout's lock, nothing read has changed, no table whose
// button goes is in use, and the check finds nothing to refuse (it answers
// a possible problem; consistency.h). A branch not settled so (changed
// meanwhile, refused, an error of any kind) is applied alone afterwards,
// exactly as applyLayout applies it, and reports what that finds.
class LayoutRollout {
public:
    LayoutRollout(TADOConnection& db, QString configuration, LayoutButtons buttons, bool dryRun);

    // Settles every branch it can together; nothing a branch causes is
    // thrown (the branch is then left to apply()).
    void writeTogether(const QStringList& branches);

    // The branch's changes: those settled together, or applyLayout's now
    // (which throws as it does).
    LayoutChanges apply(const QString& branch);

private:
    TADOConnection& m_db;
    QString m_configuration;
    LayoutButtons m_buttons;
    bool m_dryRun;
    QHash<QString, LayoutChanges> m_settled;
};

// The schema version from which PostgreSQL holds QDL_EXIGE, with which a
// transaction sent whole is checked by the server.
inline constexpr int kServerCheckSchemaVersion = 6;
