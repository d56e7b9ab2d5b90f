#pragma once

#include <filesystem>
#include <functional>
#include <optional>
#include <string>
#include <string_view>

namespace vorendal {

class DesignerGrid;

// The designer's two scripts: "Criar tabela" writes one CREATE TABLE statement, "Alterar
// tabela" an ALTER TABLE ... ADD statement and, when key fields are marked, a second ALTER TABLE
// that adds the primary key. Both read field rows 1 to 100 up to the first row without a name,
// and write normalised values back into the grid as they go: names and type letters upper-cased,
// an empty size "0", the size a type letter fixes, "*" for any key mark and "N" for key fields.
enum class DesignerScript { createTable, alterTable };

// The plain message shown instead of a script when the table name is empty (1252).
extern const std::string_view kMissingTableNameMessage;

// Receives each line of a script (in the profile's encoding, without its line end).
using ScriptLineWriter = std::function<void(std::string_view line)>;

// What a database dialect decides about the two scripts: the types of the letters, quoting,
// encoding and terminators. The grid is normalised the same way under every profile.
struct DesignerScriptProfile;

// The window's scripts: 1252, names in double quotes as typed, the table name bare (as typed in
// CREATE TABLE, upper-cased in ALTER TABLE), no statement terminator.
const DesignerScriptProfile& classicDesignerProfile();

// Scripts for isql-fb on a Firebird 3+ dialect 3 database: UTF-8 after a first line
// "SET NAMES UTF8;", every name delimited with inner double quotes doubled, the table name
// upper-cased in both scripts (so that ALTER TABLE finds the table CREATE TABLE made), text in
// CHARACTER SET UTF8, M a text blob, C a CHAR of the size when it is above 0 (else of 1), and
// every statement ended by ";". Rows are first checked by checkFirebirdDesignerRow: only the
// eight letters and the sizes Firebird takes, else an Exception naming the row.
const DesignerScriptProfile& firebirdDesignerProfile();

// Throws EInOutError 3 ("Invalid filename") for a table name that would put the script outside
// its folder: one holding "/", "\" or a NUL byte, or one that is "." or "..".
void refuseUnsafeTableName(std::string_view tableName);

// Writes the script for tableName (1252, as typed) line by line in the profile's form and
// normalises the grid on the way. An empty name does nothing and returns false. Throws EInOutError
// 3 for an unsafe name, and the profile's row check its Exception, before anything is written or
// normalised; whatever writeLine throws stops the script there, leaving the rows processed so far
// normalised.
bool writeDesignerScript(DesignerScript kind, DesignerGrid& grid, std::string_view tableName,
                         const ScriptLineWriter& writeLine,
                         const DesignerScriptProfile& profile = classicDesignerProfile());

// The script file of tableName in folder: the name's UTF-8 form followed by ".SQL".
std::filesystem::path designerScriptPath(const std::filesystem::path& folder,
                                         std::string_view tableName);

// What the buttons do: writes the script to designerScriptPath(folder, tableName), replacing any
// file there, and returns that path. An empty name writes nothing and returns nothing. Throws
// EInOutError: for an unsafe name before the file is made, otherwise with the lines written so far
// left in the file and the file released.
std::optional<std::filesystem::path> writeDesignerScriptFile(DesignerScript kind,
                                                             DesignerGrid& grid,
                                                             std::string_view tableName,
                                                             const std::filesystem::path& folder);

// The text of a script file as the output pane shows it: its lines read through the text-file
// layer (1252), joined by "\n". Throws EInOutError.
std::string readDesignerScript(const std::filesystem::path& path);

} // namespace vorendal
