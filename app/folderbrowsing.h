#pragma once

#include <filesystem>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

// The file browser's rules without widgets (no Qt here): folder listing by mask, the directory
// tree's entries, entering a folder with the current-directory rule and the full path of a file.
// Names and paths are the file system's own bytes.

namespace vorendal {

// True when name matches pattern: "*" matches any run of characters, "?" exactly one; letters
// compare ignoring ASCII case, as the old file masks did ("*.DBF" and "*.dbf" are one mask).
bool maskMatches(std::string_view name, std::string_view pattern);

// The patterns of a mask: its parts between ";", empty parts left out.
std::vector<std::string> splitMask(std::string_view mask);

// A plain order of names: ignoring ASCII case, ties broken by the bytes.
bool lessIgnoringCase(std::string_view a, std::string_view b);

// Puts names in the order the browser shows them; the window passes its locale's collation.
using NameSorter = std::function<void(std::vector<std::string>& names)>;
// Sorts by lessIgnoringCase.
void sortIgnoringCase(std::vector<std::string>& names);

// True when two folders name the same path, compared ignoring ASCII case (the file list's test
// for "a new folder").
bool sameFolderName(std::string_view a, std::string_view b);

// Names of the files in folder that match one of the patterns of mask, sorted by sorter, each
// once. Folders, hidden files (leading ".") and anything that is not a regular file (after
// following a link) are left out. Throws EInOutError when the folder cannot be read.
std::vector<std::string> listFolderFiles(const std::filesystem::path& folder, std::string_view mask,
                                         const NameSorter& sorter = sortIgnoringCase);

// Full path of a file in folder: exactly one "/" between them, also at the root "/".
std::string joinFolderAndName(std::string_view folder, std::string_view name);

// One line of the directory tree.
struct FolderEntry {
    enum class Kind { Path, Current, Subfolder };
    std::string name; // as shown: "/" for the root, else the folder's own name
    std::string path; // full path
    int level = 0;    // depth below the root, for the indentation
    Kind kind = Kind::Path;
};

// The tree's entries for an absolute folder: the root, each folder on the way down, the folder
// itself (Current), then its subfolders sorted by sorter, hidden ones left out. Throws
// EInOutError when the folder cannot be read.
std::vector<FolderEntry> folderTreeEntries(const std::filesystem::path& folder,
                                           const NameSorter& sorter = sortIgnoringCase);

// Enters target by the current-directory rule: when previous still exists the process's current
// directory is first set to it (a relative target resolves against it), then to target; the
// current directory read back (normalised) is returned. Throws EInOutError (codes from
// ioCodeFromErrno) when target cannot be entered; the current directory is then back at
// previous when that still exists.
std::filesystem::path enterFolder(const std::filesystem::path& previous,
                                  const std::filesystem::path& target);

} // namespace vorendal
