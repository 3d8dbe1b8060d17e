#pragma once

// Who wrote each record of the layout's history on SQLite. The file's own
// history triggers name nobody ('unknown'): a program without this
// program's set-up writes the file unchanged. This program names the user
// and host it runs as on every record its sessions write.

class TADOConnection;

// On a SQLite session whose file keeps the history: a trigger of the session
// alone (TEMP) that names "user@host" on each record it writes; once a
// session. Nothing on PostgreSQL (the server names the login role) or on a
// file without the history. Throws EDatabaseError.
void nameHistoryWriter(TADOConnection& db);

// Every session this program opens from now on names its writer so.
void nameHistoryWriterOfEverySession();
