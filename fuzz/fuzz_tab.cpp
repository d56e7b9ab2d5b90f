// libFuzzer target for the table definition file (.tab) and the designer's two script writers.
// The input is the file's bytes. It is read into a grid, and the CREATE TABLE and ALTER TABLE
// scripts are written from it under both profiles. The firebird scripts must hold nothing but
// what a grid can design: outside the delimited names, only the words and numbers of its types
// and statements, and a ";" only where a statement of the script ends. A script that breaks out
// of that stops the run (a statement injected through a cell).

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>
#include <sys/mman.h>
#include <unistd.h>

#include "base/exceptions.h"
#include "designer/designergrid.h"
#include "designer/designerscript.h"
#include "designer/tabledefinition.h"

namespace {

using namespace vorendal;

// The reader takes a path: the input goes to an in-memory file, reopened through /proc.
class InputFile {
public:
    InputFile() : m_fd(memfd_create("fuzz.tab", 0)) {
        if (m_fd < 0)
            std::abort();
        m_path = "/proc/self/fd/" + std::to_string(m_fd);
    }
    const std::string& write(const std::uint8_t* data, std::size_t size) {
        if (ftruncate(m_fd, 0) != 0 ||
            (size > 0 && pwrite(m_fd, data, size, 0) != static_cast<ssize_t>(size)))
            std::abort();
        return m_path;
    }

private:
    int m_fd;
    std::string m_path;
};

bool isWordOfTheScript(std::string_view word) {
    static constexpr std::string_view kWords[] = {
        "SET",      "NAMES", "UTF8",    "CREATE",    "TABLE", "ALTER",   "ADD",     "PRIMARY",
        "KEY",      "DATE",  "VARCHAR", "CHARACTER", "TIME",  "BOOLEAN", "INTEGER", "BLOB",
        "SUB_TYPE", "TEXT",  "CHAR",    "NUMERIC",   "NOT",   "NULL"};
    if (word.find_first_not_of("0123456789") == std::string_view::npos)
        return true;
    for (std::string_view known : kWords) {
        if (word == known)
            return true;
    }
    return false;
}

// One line of a firebird script with its delimited names taken out; false when a name does not
// close on its line, or when the line holds a zero byte (isql-fb ends the line there, names and
// all, and reads on from the next line).
bool withoutNames(std::string_view line, std::string& rest) {
    rest.clear();
    if (line.find('\0') != std::string_view::npos)
        return false;
    for (std::size_t i = 0; i < line.size(); ++i) {
        if (line[i] != '"') {
            rest += line[i];
            continue;
        }
        for (++i;; ++i) {
            if (i == line.size())
                return false;
            if (line[i] == '"' && (i + 1 == line.size() || line[i + 1] != '"'))
                break;
            if (line[i] == '"')
                ++i; // a doubled quote stays inside the name
        }
        rest += ' ';
    }
    return true;
}

void checkFirebirdLine(std::string_view line) {
    std::string rest;
    if (!withoutNames(line, rest))
        std::abort();
    // a statement ends at the end of its line, and only there
    const std::size_t semicolon = rest.find(';');
    if (semicolon != std::string::npos && semicolon + 1 != rest.size())
        std::abort();
    std::string word;
    for (std::size_t i = 0; i <= rest.size(); ++i) {
        const char c = i < rest.size() ? rest[i] : ' ';
        if ((c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '_') {
            word += c;
            continue;
        }
        if (c != ' ' && c != '(' && c != ')' && c != ',' && c != ';')
            std::abort();
        if (!word.empty() && !isWordOfTheScript(word))
            std::abort();
        word.clear();
    }
}

void writeScripts(const DesignerGrid& read) {
    static DesignerGrid grid; // assigned, not made anew: the runs reuse its cells
    for (const bool firebird : {false, true}) {
        for (const DesignerScript kind :
             {DesignerScript::createTable, DesignerScript::alterTable}) {
            grid = read; // each script normalises its own copy
            try {
                writeDesignerScript(
                    kind, grid, "fuzz",
                    [firebird](std::string_view line) {
                        if (firebird)
                            checkFirebirdLine(line);
                    },
                    firebird ? firebirdDesignerProfile() : classicDesignerProfile());
            } catch (const Exception&) {
                // a row the firebird profile refuses
            }
        }
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static InputFile input;
    const std::string& path = input.write(data, size);
    static DesignerGrid grid;
    grid.clear(); // reading leaves the rows the file does not reach as they were
    try {
        (void)readTableDefinition(grid, path);
    } catch (const Exception&) {
        return 0;
    }
    writeScripts(grid);
    return 0;
}
